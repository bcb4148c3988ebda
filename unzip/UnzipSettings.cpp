#include "unzip/UnzipSettings.h"

#include "unzip/UnzipError.h"

#include <limits>

namespace quillset {

namespace {

std::int16_t Narrow(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        throw UnzipError(UnzipError::kOverflow, QStringLiteral("Overflow"), QString());
    return static_cast<std::int16_t>(value);
}

} // namespace

UnzipOptions ToUnzipOptions(const UnzipSettings& settings) {
    UnzipOptions options{};
    options.ExtractOnlyNewer = settings.ExtractOnlyNewer;
    options.SpaceToUnderScore = settings.SpaceToUnderScore;
    options.PromptOverwrite = settings.PromptOverwrite;
    options.MessageLevel = Narrow(settings.MessageLevel);
    options.WriteToStdOut = settings.WriteToStdOut;
    options.TestZip = settings.TestZip;
    options.ExtractList = Narrow(settings.ExtractList);
    options.ExtractNewer = settings.ExtractNewer;
    options.DisplayComment = settings.DisplayComment;
    options.HonorDirectories = settings.HonorDirectories;
    options.OverWriteFiles = settings.OverWriteFiles;
    options.ConvertCRtoCRLF = settings.ConvertCRtoCRLF;
    options.Verbose = settings.Verbose;
    options.CaseSensitive = settings.CaseSensitive;
    options.Privilege = Narrow(settings.Privilege);
    return options;
}

} // namespace quillset
