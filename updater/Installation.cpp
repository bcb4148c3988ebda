#include "CGUnzipFiles.h"
#include "Local.h"
#include "ProcessStart.h"
#include "UnzipError.h"
#include "unzip32/unzip32.h"

namespace quillset {

namespace fs = std::filesystem;

namespace {

// Where the old program file waits while the new one is unpacked.
fs::path setAsidePath(const fs::path& program) {
    fs::path aside = program;
    aside += ".previous";
    return aside;
}

} // namespace

bool Local::UnpackArchive(const QString& archivePath, const QString& folder) {
    CGUnzipFiles unzip(codeModule_);
    const std::int32_t result = unzip.Unzip(archivePath, folder);
    return result == UZ_OK || result == UZ_WARNING;
}

void Local::StartProgram() {
    // A program that cannot be started ends the agent all the same; there is nothing left to do.
    StartDetachedProgram(LocalPath(state_.ProgramFileName));
}

bool Local::Install() {
    view_.setStatus(QString::fromUtf8(kUnpackingStatus));
    view_.repaint();
    view_.setProgress(3);

    // The old program is set aside rather than deleted, so that any failed unpack can put it
    // back: the module must never be left without its program file.
    const fs::path program = LocalPath(state_.ProgramFileName);
    const fs::path aside = setAsidePath(program);
    const bool hadProgram = FileExists(state_.ModuleFolder + state_.ProgramFileName);
    std::error_code error;
    if (hadProgram) {
        fs::remove(aside, error);
        fs::rename(program, aside, error);
        if (error)
            return false;
    }

    bool unpacked = false;
    try {
        unpacked = UnpackArchive(state_.ModuleFolder + state_.ArchiveFileName, state_.ModuleFolder);
    } catch (const UnzipError&) {
        unpacked = false;
    }
    if (unpacked && FileExists(state_.ModuleFolder + state_.ProgramFileName)) {
        fs::remove(aside, error);
        return true;
    }
    if (hadProgram) {
        fs::remove(LocalPath(state_.ProgramFileName), error);
        fs::rename(aside, program, error);
    }
    return false;
}

void Local::DownloadAndInstall() {
    view_.setStatus(QString::fromUtf8(kDownloadingStatus));
    view_.repaint();
    view_.setProgress(2);
    const QString address = ServerAddress();
    try {
        DeleteLocalCopy(state_.ArchiveFileName);
    } catch (const std::exception&) {
        // A copy that stays is replaced by the transfer or makes it fail; both are handled below.
    }

    if (TransferFile(transfer_, address, state_.ArchiveFileName, state_.ModuleFolder) &&
        FileExists(state_.ModuleFolder + state_.ArchiveFileName) && VerifyRelease(address) &&
        Install()) {
        view_.setStatus(QString::fromUtf8(kUpdatedMessage));
        view_.repaint();
        view_.setProgress(4);
        ShowInfo(QString::fromUtf8(kUpdatedMessage));
        DeleteLocalCopies();
        if (FileExists(state_.ModuleFolder + state_.ProgramFileName))
            StartProgram();
        view_.unload();
        return;
    }

    view_.setStatus(QString::fromUtf8(kNotUpdatedMessage));
    ShowInfo(QString::fromUtf8(kNotUpdatedMessage));
    StartProgram();
    view_.unload();
}

} // namespace quillset
