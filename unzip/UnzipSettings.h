#pragma once

#include "unzip32/unzip32.h"

#include <cstdint>

namespace quillset {

// The fifteen settings of one unpack, in the order of CGUnzipFiles' properties and with its
// defaults: Booleans as the 16-bit numbers 1 and 0, the three numbers as 32-bit values.
struct UnzipSettings {
    std::int16_t ExtractNewer = 0;
    std::int16_t SpaceToUnderScore = 0;
    std::int16_t PromptOverwrite = 0;
    std::int32_t MessageLevel = 2;
    std::int16_t WriteToStdOut = 0;
    std::int16_t TestZip = 0;
    std::int32_t ExtractList = 0;
    std::int16_t ExtractOnlyNewer = 0;
    std::int16_t DisplayComment = 0;
    std::int16_t HonorDirectories = 1;
    std::int16_t OverWriteFiles = 1;
    std::int16_t ConvertCRtoCRLF = 0;
    std::int16_t Verbose = 0;
    std::int16_t CaseSensitive = 1;
    std::int32_t Privilege = 0;
};

// The engine's option record for `settings`, the one place where a setting meets its slot. The
// three numbers are handed on as 16-bit values: one outside -32768 to 32767 raises UnzipError
// (overflow). The two path slots are left for the caller.
UnzipOptions ToUnzipOptions(const UnzipSettings& settings);

} // namespace quillset
