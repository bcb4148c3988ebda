#pragma once

#include "CodeModule.h"

#include <QString>
#include <cstdint>

namespace quillset {

// The settings of one unpack, and the unpack itself through the CodeModule's engine call.
// Booleans are kept as the 16-bit numbers 1 and 0; reading answers true only for a stored 1.
class CGUnzipFiles {
public:
    explicit CGUnzipFiles(CodeModule& codeModule);

    bool ExtractNewer() const { return extractNewer_ == 1; }
    void SetExtractNewer(bool value) { extractNewer_ = value ? 1 : 0; }
    bool SpaceToUnderScore() const { return spaceToUnderScore_ == 1; }
    void SetSpaceToUnderScore(bool value) { spaceToUnderScore_ = value ? 1 : 0; }
    bool PromptOverwrite() const { return promptOverwrite_ == 1; }
    void SetPromptOverwrite(bool value) { promptOverwrite_ = value ? 1 : 0; }
    std::int32_t MessageLevel() const { return messageLevel_; }
    void SetMessageLevel(std::int32_t value) { messageLevel_ = value; }
    bool WriteToStdOut() const { return writeToStdOut_ == 1; }
    void SetWriteToStdOut(bool value) { writeToStdOut_ = value ? 1 : 0; }
    bool TestZip() const { return testZip_ == 1; }
    void SetTestZip(bool value) { testZip_ = value ? 1 : 0; }
    std::int32_t ExtractList() const { return extractList_; }
    void SetExtractList(std::int32_t value) { extractList_ = value; }
    bool ExtractOnlyNewer() const { return extractOnlyNewer_ == 1; }
    void SetExtractOnlyNewer(bool value) { extractOnlyNewer_ = value ? 1 : 0; }
    bool DisplayComment() const { return displayComment_ == 1; }
    void SetDisplayComment(bool value) { displayComment_ = value ? 1 : 0; }
    bool HonorDirectories() const { return honorDirectories_ == 1; }
    void SetHonorDirectories(bool value) { honorDirectories_ = value ? 1 : 0; }
    bool OverWriteFiles() const { return overWriteFiles_ == 1; }
    void SetOverWriteFiles(bool value) { overWriteFiles_ = value ? 1 : 0; }
    bool ConvertCRtoCRLF() const { return convertCRtoCRLF_ == 1; }
    void SetConvertCRtoCRLF(bool value) { convertCRtoCRLF_ = value ? 1 : 0; }
    bool Verbose() const { return verbose_ == 1; }
    void SetVerbose(bool value) { verbose_ = value ? 1 : 0; }
    bool CaseSensitive() const { return caseSensitive_ == 1; }
    void SetCaseSensitive(bool value) { caseSensitive_ = value ? 1 : 0; }
    std::int32_t Privilege() const { return privilege_; }
    void SetPrivilege(std::int32_t value) { privilege_ = value; }
    QString ZipFileName() const { return zipFileName_; }
    void SetZipFileName(const QString& value) { zipFileName_ = value; }
    QString ExtractDir() const { return extractDir_; }
    void SetExtractDir(const QString& value) { extractDir_ = value; }

    // Unpacks `sZipFileName` into `sExtractDir` (an empty text keeps the stored value) and answers
    // the engine's result code. Raises UnzipError with the source "CGUnZipFiles::Unzip".
    std::int32_t Unzip(const QString& sZipFileName, const QString& sExtractDir);

    // What the engine printed during the most recent unpack of any object.
    QString GetLastMessage() const;

private:
    CodeModule& codeModule_;
    std::int16_t extractNewer_ = 0;
    std::int16_t spaceToUnderScore_ = 0;
    std::int16_t promptOverwrite_ = 0;
    std::int32_t messageLevel_ = 2;
    std::int16_t writeToStdOut_ = 0;
    std::int16_t testZip_ = 0;
    std::int32_t extractList_ = 0;
    std::int16_t extractOnlyNewer_ = 0;
    std::int16_t displayComment_ = 0;
    std::int16_t honorDirectories_ = 1;
    std::int16_t overWriteFiles_ = 1;
    std::int16_t convertCRtoCRLF_ = 0;
    std::int16_t verbose_ = 0;
    std::int16_t caseSensitive_ = 1;
    std::int32_t privilege_ = 0;
    QString zipFileName_;
    QString extractDir_;
};

} // namespace quillset
