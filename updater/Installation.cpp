#include "platform/ProcessStart.h"
#include "platform/SignalCleanup.h"
#include "platform/StopPoint.h"
#include "platform/WindowsPath.h"
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

void Local::StageArchive(const WorkingFolders& folders) {
    // Only a swap that the recovery could not undo leaves a journal; nothing goes over it.
    if (EntryExists(folders.journal()))
        throw StepFailure{QStringLiteral("swap"),
                          QStringLiteral("an earlier update of this module is still unfinished")};
    std::error_code error;
    fs::remove_all(folders.staging(), error);
    if (::mkdir(folders.staging().c_str(), 0755) != 0)
        throw StepFailure{QStringLiteral("unpack"),
                          QStringLiteral("cannot create the staging folder: %1")
                              .arg(QString::fromLocal8Bit(std::strerror(errno)))};
    StopPoint("unpack-started");
    bool unpacked = false;
    try {
        unpacked = UnpackArchive(state_.ModuleFolder + state_.ArchiveFileName,
                                 Text(folders.staging()) + QLatin1Char('/'));
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

void Local::PrepareStagedProgram(const WorkingFolders& folders) {
    const fs::path staged =
        ResolveWindowsPath(Text(folders.staging()) + QLatin1Char('/') + state_.ProgramFileName);
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
    const fs::path wanted = folders.staging() / LocalPath(state_.ProgramFileName).filename();
    if (staged != wanted) {
        if (EntryExists(wanted))
            throw StepFailure{QStringLiteral("check"),
                              QStringLiteral("the archive holds two spellings of %1")
                                  .arg(state_.ProgramFileName)};
        try {
            RenameEntry(staged, wanted);
        } catch (const SwapError& error) {
            throw StepFailure{QStringLiteral("check"), QString::fromUtf8(error.what())};
        }
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

    const WorkingFolders folders = Folders();
    // An ending signal during the unpack removes the staging folder; the swap holds signals back.
    const RemovedOnSignal staging(folders.staging());
    try {
        StageArchive(folders);
        PrepareStagedProgram(folders);
        std::vector<SwapStep> steps;
        try {
            steps = PlanSwap(folders);
        } catch (const SwapError& error) {
            throw StepFailure{QStringLiteral("check"), QString::fromUtf8(error.what())};
        }
        try {
            const EndingSignalsHeld held;
            SwapIn(folders, steps);
        } catch (const SwapError& error) {
            throw StepFailure{QStringLiteral("swap"), QString::fromUtf8(error.what())};
        }
        return true;
    } catch (const StepFailure& failure) {
        LogFailedStep(failure.step, failure.reason);
        // The module is as it was; what was staged goes (a failed swap removed it already).
        if (!EntryExists(folders.journal())) {
            std::error_code ignored;
            fs::remove_all(folders.staging(), ignored);
        }
        return false;
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

    const bool fetched =
        TransferFile(transfer_, address, state_.ArchiveFileName, state_.ModuleFolder) &&
        FileExists(state_.ModuleFolder + state_.ArchiveFileName);
    if (!fetched)
        LogFailedStep(QStringLiteral("archive transfer"), TransferProblem());
    else
        StopPoint("archive-fetched");

    if (fetched && VerifyRelease(address) && Install()) {
        view_.setStatus(QString::fromUtf8(kUpdatedMessage));
        view_.repaint();
        view_.setProgress(ProgressStep::Updated);
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
