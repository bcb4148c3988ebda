// libFuzzer: arbitrary bytes as an archive, listed; every listing line stays 80 columns.
#include "fuzz/unzip/UnzipFuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (const std::string problem = quillset::fuzz::ListingLinesStayEightyColumns(data, size);
        !problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
