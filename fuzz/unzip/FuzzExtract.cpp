// libFuzzer: arbitrary bytes as an archive must never put anything outside the folder.
#include "fuzz/unzip/UnzipFuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const std::string problem = quillset::fuzz::ExtractStaysInside(data, size);
        !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
