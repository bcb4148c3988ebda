#include "platform/ProcessStart.h"
#include "platform/SignalCleanup.h"
#include "platform/StopPoint.h"
#include "platform/WindowsPath.h"
#include "posix/Beneath.h"
#include "unzip/CGUnzipFiles.h"
#include "unzip/UnzipError.h"
#include "updater/Durable.h"
#include "updater/Local.h"
#include "updater/ModuleSwap.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// A step of the installation that failed, with the reason for the log.
class StepFailure : public Failure {
public:
    StepFailure(QString step, QString reason)
        : Failure(reason.toStdString()), step(std::move(step)), reason(std::move(reason)) {}

    QString step;
    QString reason;
};

QString Text(const fs::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

bool Local::UnpackArchive(const QString& archivePath, const QString& folder) {
    CGUnzipFiles unzip(codeModule_);
    unzip.Unzip(archivePath, folder);
    const UnzipOutcome outcome = unzip.lastOutcome();
    unpackProblem_ = outcome.summary();
    return outcome.succeeded();
}

void Local::StartProgram() {
    // A program that cannot be started ends the agent all the same; there is nothing left to do.
    if (!StartDetachedProgram(LocalPath(state_.ProgramFileName)))
        LogFailedStep(QStringLiteral("start"),
                      QStringLiteral("the program file %1 cannot be started")
                          .arg(Text(LocalPath(state_.ProgramFileName))));
}

fs::path Local::ArchiveSource() const {
    return "/proc/self/fd/" + std::to_string(archive_.get());
}

void Local::StageArchive(const fs::path& staging) {
    StopPoint("unpack-started");
    bool unpacked = false;
    try {
        unpacked = UnpackArchive(Text(ArchiveSource()), Text(staging) + QLatin1Char('/'));
    } catch (const UnzipError& failure) {
        throw StepFailure{QStringLiteral("unpack"), QStringLiteral("%1 (error %2 from %3)")
                                                        .arg(failure.description())
                                                        .arg(failure.number())
                                                        .arg(failure.source())};
    }
    if (!unpacked)
        throw StepFailure{QStringLiteral("unpack"), unpackProblem_};
    StopPoint("unpack-done");
}

void Local::PrepareStagedProgram(const fs::path& staging) {
    const fs::path staged =
        ResolveWindowsPath(Text(staging) + QLatin1Char('/') + state_.ProgramFileName);
    struct stat info {};
    if (::lstat(staged.c_str(), &info) != 0)
        throw StepFailure{QStringLiteral("check"),
                          QStringLiteral("the archive holds no %1").arg(state_.ProgramFileName)};
    if (!S_ISREG(info.st_mode))
        throw StepFailure{QStringLiteral("check"),
                          QStringLiteral("the archive's %1 is %2, not a program file")
                              .arg(state_.ProgramFileName)
                              .arg(S_ISLNK(info.st_mode)   ? QStringLiteral("a link")
                                   : S_ISDIR(info.st_mode) ? QStringLiteral("a folder")
                                                           : QStringLiteral("a special file"))};
    // The staged program takes the exact name the module's program has, so the swap replaces
    // the very file that is started afterwards.
    const fs::path wanted = staging / LocalName(state_.ProgramFileName);
    struct stat taken {};
    if (staged != wanted) {
        if (::lstat(wanted.c_str(), &taken) == 0)
            throw StepFailure{QStringLiteral("check"),
                              QStringLiteral("the archive holds two spellings of %1")
                                  .arg(state_.ProgramFileName)};
        if (::rename(staged.c_str(), wanted.c_str()) != 0)
            throw StepFailure{QStringLiteral("check"),
                              QStringLiteral("cannot rename the staged %1: %2")
                                  .arg(state_.ProgramFileName)
                                  .arg(QString::fromLocal8Bit(std::strerror(errno)))};
    }
    // Archives from hosts without Unix modes carry none: whoever may read it may run it.
    const mode_t executable = info.st_mode | ((info.st_mode & 0444) >> 2);
    if (::chmod(wanted.c_str(), executable & 07777) != 0)
        throw StepFailure{QStringLiteral("check"),
                          QStringLiteral("cannot make %1 executable: %2")
                              .arg(state_.ProgramFileName)
                              .arg(QString::fromLocal8Bit(std::strerror(errno)))};
}

bool Local::Install() {
    view_.setStatus(QString::fromUtf8(kUnpackingStatus));
    view_.repaint();
    view_.setProgress(ProgressStep::Unpacking);

    // An ending signal during the unpack removes the staging folder; the swap holds signals back.
    const RemovedOnSignal removed(change_.folders().shown(kStagingName));
    const auto abandon = [this](const QString& step, const QString& reason) {
        LogFailedStep(step, reason);
        // The module is as it was; what was staged goes (a failed swap removed it already).
        try {
            if (!change_.unfinished())
                change_.discardStaging();
        } catch (const SwapError&) {
            // Removed by the next start's recovery.
        }
        return false;
    };
    try {
        // Only a swap that the recovery could not undo leaves a journal; nothing goes over it.
        if (change_.unfinished())
            throw StepFailure{
                QStringLiteral("swap"),
                QStringLiteral("an earlier update of this module is still unfinished")};
        Fd staging;
        try {
            staging = change_.makeStaging();
        } catch (const SwapError& error) {
            throw StepFailure{QStringLiteral("unpack"),
                              QStringLiteral("cannot create the staging folder: %1")
                                  .arg(QString::fromUtf8(error.what()))};
        }
        const fs::path stagingPath = "/proc/self/fd/" + std::to_string(staging.get());
        StageArchive(stagingPath);
        PrepareStagedProgram(stagingPath);
        std::vector<SwapStep> steps;
        try {
            steps = change_.plan();
        } catch (const SwapError& error) {
            throw StepFailure{QStringLiteral("check"), QString::fromUtf8(error.what())};
        }
        std::string cleanup;
        try {
            const EndingSignalsHeld held;
            cleanup = change_.swapIn(steps);
        } catch (const SwapError& error) {
            throw StepFailure{QStringLiteral("swap"), QString::fromUtf8(error.what())};
        }
        if (!cleanup.empty())
            LogFailedStep(QStringLiteral("clean-up"),
                          QStringLiteral("the new version is in place; what could not be removed "
                                         "is removed by a later start: %1")
                              .arg(QString::fromStdString(cleanup)));
        return true;
    } catch (const StepFailure& failure) {
        return abandon(failure.step, failure.reason);
    } catch (const Failure& failure) {
        // The module folder itself failing under the agent.
        return abandon(QStringLiteral("swap"), QString::fromUtf8(failure.what()));
    }
}

void Local::DownloadAndInstall() {
    view_.setStatus(QString::fromUtf8(kDownloadingStatus));
    view_.repaint();
    view_.setProgress(ProgressStep::Downloading);
    const QString address = ServerAddress();
    try {
        DeleteLocalCopy(state_.ArchiveFileName);
    } catch (const std::exception&) {
        // A copy that stays is replaced by the transfer or makes it fail; both are handled below.
    }

    bool fetched = TransferFile(transfer_, address, state_.ArchiveFileName, state_.ModuleFolder) &&
                   FileExists(state_.ModuleFolder + state_.ArchiveFileName);
    if (!fetched) {
        LogFailedStep(QStringLiteral("archive transfer"), TransferProblem());
    } else {
        StopPoint("archive-fetched");
        try {
            archive_ = change_.privateCopy(LocalName(state_.ArchiveFileName));
        } catch (const SystemError& error) {
            LogFailedStep(QStringLiteral("archive transfer"), QString::fromUtf8(error.what()));
            fetched = false;
        }
    }

    if (fetched && VerifyRelease(address) && Install()) {
        archive_.reset();
        view_.setStatus(QString::fromUtf8(kUpdatedMessage));
        view_.repaint();
        view_.setProgress(ProgressStep::Updated);
        // The module is whole and the agent's files are gone: the next agent may go on while
        // this one's message waits for a person.
        DeleteLocalCopies();
        ReleaseModule();
        ShowInfo(QString::fromUtf8(kUpdatedMessage));
        if (FileExists(state_.ModuleFolder + state_.ProgramFileName))
            StartProgram();
        view_.unload();
        return;
    }

    archive_.reset();
    ReleaseModule();
    view_.setStatus(QString::fromUtf8(kNotUpdatedMessage));
    ShowInfo(QString::fromUtf8(kNotUpdatedMessage));
    StartProgram();
    view_.unload();
}

} // namespace quillset
