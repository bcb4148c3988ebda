#include "CGUnzipFiles.h"

#include "UnzipError.h"

#include <limits>

namespace quillset {

namespace {

const QString kUnzipSource = QStringLiteral("CGUnZipFiles::Unzip");

std::int16_t narrow(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        throw UnzipError(UnzipError::kOverflow, QStringLiteral("Overflow"), kUnzipSource);
    return static_cast<std::int16_t>(value);
}

} // namespace

CGUnzipFiles::CGUnzipFiles(CodeModule& codeModule) : codeModule_(codeModule) {}

std::int32_t CGUnzipFiles::Unzip(const QString& sZipFileName, const QString& sExtractDir) {
    try {
        if (!sZipFileName.isEmpty())
            zipFileName_ = sZipFileName;
        if (!sExtractDir.isEmpty())
            extractDir_ = sExtractDir;
        UnzipSettings settings;
        settings.ExtractNewer = extractNewer_;
        settings.SpaceToUnderScore = spaceToUnderScore_;
        settings.PromptOverwrite = promptOverwrite_;
        settings.MessageLevel = narrow(messageLevel_);
        settings.WriteToStdOut = writeToStdOut_;
        settings.TestZip = testZip_;
        settings.ExtractList = narrow(extractList_);
        settings.ExtractOnlyNewer = extractOnlyNewer_;
        settings.DisplayComment = displayComment_;
        settings.HonorDirectories = honorDirectories_;
        settings.OverWriteFiles = overWriteFiles_;
        settings.ConvertCRtoCRLF = convertCRtoCRLF_;
        settings.Verbose = verbose_;
        settings.CaseSensitive = caseSensitive_;
        settings.Privilege = narrow(privilege_);
        return codeModule_.CallUnzipEngine(zipFileName_, extractDir_, settings);
    } catch (const UnzipError& error) {
        throw error.from(kUnzipSource);
    }
}

QString CGUnzipFiles::GetLastMessage() const {
    return codeModule_.LastUnzipMessage();
}

} // namespace quillset
