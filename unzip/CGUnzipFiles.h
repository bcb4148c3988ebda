#pragma once

#include "unzip/CodeModule.h"

#include <QString>
#include <cstdint>

namespace quillset {

// The settings of one unpack, and the unpack itself through the CodeModule's engine call.
// Booleans are kept as the 16-bit numbers 1 and 0; reading answers true only for a stored 1.
// The settings live in one UnzipSettings, which ToUnzipOptions turns into the engine's record.
class CGUnzipFiles {
public:
    explicit CGUnzipFiles(CodeModule& codeModule);

    bool ExtractNewer() const { return settings_.ExtractNewer == 1; }
    void SetExtractNewer(bool value) { settings_.ExtractNewer = value ? 1 : 0; }
    bool SpaceToUnderScore() const { return settings_.SpaceToUnderScore == 1; }
    void SetSpaceToUnderScore(bool value) { settings_.SpaceToUnderScore = value ? 1 : 0; }
    bool PromptOverwrite() const { return settings_.PromptOverwrite == 1; }
    void SetPromptOverwrite(bool value) { settings_.PromptOverwrite = value ? 1 : 0; }
    std::int32_t MessageLevel() const { return settings_.MessageLevel; }
    void SetMessageLevel(std::int32_t value) { settings_.MessageLevel = value; }
    bool WriteToStdOut() const { return settings_.WriteToStdOut == 1; }
    void SetWriteToStdOut(bool value) { settings_.WriteToStdOut = value ? 1 : 0; }
    bool TestZip() const { return settings_.TestZip == 1; }
    void SetTestZip(bool value) { settings_.TestZip = value ? 1 : 0; }
    std::int32_t ExtractList() const { return settings_.ExtractList; }
    void SetExtractList(std::int32_t value) { settings_.ExtractList = value; }
    bool ExtractOnlyNewer() const { return settings_.ExtractOnlyNewer == 1; }
    void SetExtractOnlyNewer(bool value) { settings_.ExtractOnlyNewer = value ? 1 : 0; }
    bool DisplayComment() const { return settings_.DisplayComment == 1; }
    void SetDisplayComment(bool value) { settings_.DisplayComment = value ? 1 : 0; }
    bool HonorDirectories() const { return settings_.HonorDirectories == 1; }
    void SetHonorDirectories(bool value) { settings_.HonorDirectories = value ? 1 : 0; }
    bool OverWriteFiles() const { return settings_.OverWriteFiles == 1; }
    void SetOverWriteFiles(bool value) { settings_.OverWriteFiles = value ? 1 : 0; }
    bool ConvertCRtoCRLF() const { return settings_.ConvertCRtoCRLF == 1; }
    void SetConvertCRtoCRLF(bool value) { settings_.ConvertCRtoCRLF = value ? 1 : 0; }
    bool Verbose() const { return settings_.Verbose == 1; }
    void SetVerbose(bool value) { settings_.Verbose = value ? 1 : 0; }
    bool CaseSensitive() const { return settings_.CaseSensitive == 1; }
    void SetCaseSensitive(bool value) { settings_.CaseSensitive = value ? 1 : 0; }
    std::int32_t Privilege() const { return settings_.Privilege; }
    void SetPrivilege(std::int32_t value) { settings_.Privilege = value; }
    QString ZipFileName() const { return zipFileName_; }
    void SetZipFileName(const QString& value) { zipFileName_ = value; }
    QString ExtractDir() const { return extractDir_; }
    void SetExtractDir(const QString& value) { extractDir_ = value; }

    // Unpacks `sZipFileName` into `sExtractDir` (an empty text keeps the stored value) and answers
    // the engine's result code. Raises UnzipError with the source "CGUnZipFiles::Unzip".
    std::int32_t Unzip(const QString& sZipFileName, const QString& sExtractDir);

    // What the engine printed during the most recent unpack of any object.
    QString GetLastMessage() const;
    // The result code and the problems of the most recent unpack of any object.
    UnzipOutcome lastOutcome() const;

private:
    CodeModule& codeModule_;
    UnzipSettings settings_;
    QString zipFileName_;
    QString extractDir_;
};

} // namespace quillset
