#include "tests/support/DemoFiles.h"

#include <cstdlib>

namespace quillset::test {

std::filesystem::path DriveC() {
    const char* folder = std::getenv("QUILLSET_DRIVE_C");
    return folder ? std::filesystem::path(folder)
                  : std::filesystem::path(QUILLSET_BIN_DIR) / "drive_c";
}

std::filesystem::path Demo(const char* relative) {
    return DriveC() / "QSET_DEMOS" / relative;
}

} // namespace quillset::test
