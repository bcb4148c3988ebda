#pragma once

#include "platform/Dialogs.h"
#include "unzip/EngineLibrary.h"
#include "unzip/UnzipOutcome.h"
#include "unzip/UnzipSettings.h"

#include <QString>
#include <cstdint>

namespace quillset {

// The agent's side of the unzip engine: the unpack state shared by all CGUnzipFiles objects, the
// call into libunzip32.so and the five callbacks it makes. The engine's callbacks carry no
// pointer of ours, so they reach the one CodeModule whose unpack is running; one unpack runs at
// a time.
class CodeModule {
public:
    // `archivePassword` is the agent's UpdateState::ArchivePassword; an answer to the password
    // prompt replaces it for the rest of the run.
    CodeModule(Dialogs& dialogs, QString& archivePassword);
    CodeModule(const CodeModule&) = delete;
    CodeModule& operator=(const CodeModule&) = delete;
    ~CodeModule();

    // Unpacks through the engine and answers its result code. The paths are Windows-style texts
    // (ResolveWindowsPath) handed on in the file system's encoding. Raises UnzipError with the
    // source "CodeModule::CallUnzipEngine", e.g. when libunzip32.so cannot be loaded.
    std::int32_t CallUnzipEngine(const QString& zipFileName, const QString& extractDir,
                                 const UnzipSettings& settings);

    // Everything the engine printed during the current or most recent unpack. The design keeps
    // it twice, as the messages and their last copy; one string serves both.
    const QString& LastUnzipMessage() const { return unzipMessages_; }
    // The result code and the problems the engine told during the most recent unpack.
    const UnzipOutcome& lastUnzipOutcome() const { return lastOutcome_; }
    const QString& UnzipListing() const { return unzipListing_; }
    std::int16_t ListingLineCount() const { return listingLineCount_; }
    bool PasswordGivenUp() const { return passwordGivenUp_; }

    // The callbacks, as the engine calls them. None of them raises.
    std::int32_t UnzipPrintCallback(const char* buffer, std::uint32_t length);
    std::int32_t UnzipReplaceCallback(const char* name);
    std::int32_t UnzipPasswordCallback(char* buffer, std::int32_t size, const char* prompt,
                                       const char* entryName);
    void UnzipListingCallback(std::uint32_t uncompressedSize, std::uint16_t month,
                              std::uint16_t day, std::uint16_t year, std::uint16_t hour,
                              std::uint16_t minute, const char* name);
    std::int32_t UnzipServiceCallback(const char* name, std::uint32_t length);

private:
    void resetState();

    Dialogs& dialogs_;
    QString& archivePassword_;
    EngineLibrary engine_;

    QString unzipMessages_;
    UnzipOutcome lastOutcome_;
    QString unzipListing_;
    std::int16_t listingLineCount_ = 0;
    bool passwordGivenUp_ = false;
};

} // namespace quillset
