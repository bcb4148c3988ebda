#pragma once

#include <filesystem>

namespace quillset::test {

// The folder the programs take for C:, as the test run sets it (the build's drive_c otherwise).
std::filesystem::path DriveC();
// A file of the demo pictures, by its path below QSET_DEMOS.
std::filesystem::path Demo(const char* relative);

} // namespace quillset::test
