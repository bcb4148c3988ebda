#include "unzip/CGUnzipFiles.h"

#include "unzip/UnzipError.h"

namespace quillset {

namespace {

const QString kUnzipSource = QStringLiteral("CGUnZipFiles::Unzip");

} // namespace

CGUnzipFiles::CGUnzipFiles(CodeModule& codeModule) : codeModule_(codeModule) {}

std::int32_t CGUnzipFiles::Unzip(const QString& sZipFileName, const QString& sExtractDir) {
    try {
        if (!sZipFileName.isEmpty())
            zipFileName_ = sZipFileName;
        if (!sExtractDir.isEmpty())
            extractDir_ = sExtractDir;
        return codeModule_.CallUnzipEngine(zipFileName_, extractDir_, settings_);
    } catch (const UnzipError& error) {
        throw error.from(kUnzipSource);
    }
}

QString CGUnzipFiles::GetLastMessage() const {
    return codeModule_.LastUnzipMessage();
}

UnzipOutcome CGUnzipFiles::lastOutcome() const {
    return codeModule_.lastUnzipOutcome();
}

} // namespace quillset
