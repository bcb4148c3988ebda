#include "platform/Failure.h"
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

// Runs an operation of a step: a failure it throws becomes the step's problem.
template <typename Operation> StepOutcome Attempt(const QString& step, Operation&& operation) {
    try {
        operation();
        return std::nullopt;
    } catch (const Failure& failure) {
        return StepProblem{step, QString::fromUtf8(failure.what())};
    }
}

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

void Local::startProgram() {
    // Started by its name, as a user would, but only while that name leads to the folder this
    // agent worked in: a module folder moved away and another put at its name is not ours.
    if (!change_.stillAt(moduleFolderPath())) {
        logFailedStep(QStringLiteral("start"),
                      QStringLiteral("the module folder %1 is no longer the folder updated")
                          .arg(Text(moduleFolderPath())));
        return;
    }
    // A program that cannot be started ends the agent all the same; there is nothing left to do.
    if (!StartDetachedProgram(localPath(state_.ProgramFileName)))
        logFailedStep(QStringLiteral("start"),
                      QStringLiteral("the program file %1 cannot be started")
                          .arg(Text(localPath(state_.ProgramFileName))));
}

StepOutcome Local::stageArchive(const fs::path& staging) {
    StopPoint("unpack-started");
    try {
        if (!UnpackArchive(Text(archive_.path()), Text(staging) + QLatin1Char('/')))
            return StepProblem{QStringLiteral("unpack"), unpackProblem_};
    } catch (const UnzipError& failure) {
        return StepProblem{QStringLiteral("unpack"), QStringLiteral("%1 (error %2 from %3)")
                                                         .arg(failure.description())
                                                         .arg(failure.number())
                                                         .arg(failure.source())};
    }
    StopPoint("unpack-done");
    return std::nullopt;
}

StepOutcome Local::prepareStagedProgram(const fs::path& staging) {
    const auto refused = [](const QString& reason) {
        return StepProblem{QStringLiteral("check"), reason};
    };
    const fs::path staged =
        ResolveWindowsPath(Text(staging) + QLatin1Char('/') + state_.ProgramFileName);
    struct stat info {};
    if (::lstat(staged.c_str(), &info) != 0)
        return refused(QStringLiteral("the archive holds no %1").arg(state_.ProgramFileName));
    if (!S_ISREG(info.st_mode))
        return refused(QStringLiteral("the archive's %1 is %2, not a program file")
                           .arg(state_.ProgramFileName)
                           .arg(S_ISLNK(info.st_mode)   ? QStringLiteral("a link")
                                : S_ISDIR(info.st_mode) ? QStringLiteral("a folder")
                                                        : QStringLiteral("a special file")));
    // The staged program takes the exact name the module's program has, so the swap replaces
    // the very file that is started afterwards.
    const fs::path wanted = staging / localName(state_.ProgramFileName);
    struct stat taken {};
    if (staged != wanted) {
        if (::lstat(wanted.c_str(), &taken) == 0)
            return refused(QStringLiteral("the archive holds two spellings of %1")
                               .arg(state_.ProgramFileName));
        if (::rename(staged.c_str(), wanted.c_str()) != 0)
            return refused(QStringLiteral("cannot rename the staged %1: %2")
                               .arg(state_.ProgramFileName)
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    // Archives from hosts without Unix modes carry none: whoever may read it may run it.
    const mode_t executable = info.st_mode | ((info.st_mode & 0444) >> 2);
    if (::chmod(wanted.c_str(), executable & 07777) != 0)
        return refused(QStringLiteral("cannot make %1 executable: %2")
                           .arg(state_.ProgramFileName)
                           .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return std::nullopt;
}

StepOutcome Local::installSteps() {
    // Only a swap that the recovery could not undo leaves a journal; nothing goes over it.
    if (change_.unfinished())
        return StepProblem{QStringLiteral("swap"),
                           QStringLiteral("an earlier update of this module is still unfinished")};
    Fd staging;
    if (StepOutcome problem =
            Attempt(QStringLiteral("unpack"), [&] { staging = change_.makeStaging(); })) {
        problem->reason.prepend(QStringLiteral("cannot create the staging folder: "));
        return problem;
    }
    const fs::path stagingPath = staging.path();
    if (StepOutcome problem = stageArchive(stagingPath))
        return problem;
    if (StepOutcome problem = checkStagedEntries(staging.get()))
        return problem;
    if (StepOutcome problem = prepareStagedProgram(stagingPath))
        return problem;
    std::vector<SwapStep> steps;
    if (StepOutcome problem = Attempt(QStringLiteral("check"),
                                      [&] { steps = change_.plan(staging, localCopyNames()); }))
        return problem;
    std::string cleanup;
    if (StepOutcome problem = Attempt(QStringLiteral("swap"), [&] {
            const EndingSignalsHeld held;
            cleanup = change_.swapIn(staging, steps);
        }))
        return problem;
    if (!cleanup.empty())
        logFailedStep(QStringLiteral("clean-up"),
                      QStringLiteral("the new version is in place; what could not be removed "
                                     "is removed by a later start: %1")
                          .arg(QString::fromStdString(cleanup)));
    return std::nullopt;
}

bool Local::install() {
    view_.setStatus(QString::fromUtf8(kUnpackingStatus));
    view_.repaint();
    view_.setProgress(ProgressStep::Unpacking);

    // An ending signal during the unpack removes the staging folder; the swap holds signals back.
    const RemovedOnSignal removed(change_.folders().shown(kStagingName));
    StepOutcome problem;
    // The module folder itself failing under the agent counts as a failed swap.
    if (StepOutcome broken = Attempt(QStringLiteral("swap"), [&] { problem = installSteps(); }))
        problem = broken;
    if (!problem)
        return true;
    logFailedStep(problem->step, problem->reason);
    // The module is as it was; what was staged goes (a failed swap removed it already).
    try {
        if (!change_.unfinished())
            change_.discardStaging();
    } catch (const SwapError&) {
        // Removed by the next start's recovery.
    }
    return false;
}

bool Local::fetchArchive(const QString& address) {
    // A signed statement without entries' digests can only vouch for the whole archive.
    if (!statement_ || !statement_->entries.empty()) {
        Result<FetchedArchive, PartialStop> partial = fetchChangedEntries(address);
        view_.clearActivity();
        if (partial && partial->whole && !transfer_.rangeAnswer().placed)
            logFailedStep(QStringLiteral("partial fetch"),
                          QStringLiteral("the server answers no ranges: the whole archive came"));
        if (partial) {
            archive_ = std::move(partial->file);
            StopPoint("archive-fetched");
            return !partial->whole || checkWholeArchive();
        }
        if (partial.reason().kind != PartialStop::Kind::FallBack) {
            logFailedStep(partial.reason().kind == PartialStop::Kind::Refused
                              ? QStringLiteral("signature")
                              : QStringLiteral("archive transfer"),
                          QString::fromStdString(partial.reason().reason));
            return false;
        }
        logFailedStep(QStringLiteral("partial fetch"),
                      QStringLiteral("the whole archive is fetched instead: %1")
                          .arg(QString::fromStdString(partial.reason().reason)));
    }
    fetchedEntries_.clear();
    if (!TransferFile(transfer_, address, state_.ArchiveFileName, state_.ModuleFolder) ||
        !FileExists(state_.ModuleFolder + state_.ArchiveFileName)) {
        logFailedStep(QStringLiteral("archive transfer"), transferProblem());
        return false;
    }
    StopPoint("archive-fetched");
    try {
        archive_ = change_.privateCopy(localName(state_.ArchiveFileName));
    } catch (const SystemError& error) {
        logFailedStep(QStringLiteral("archive transfer"), QString::fromUtf8(error.what()));
        return false;
    }
    return checkWholeArchive();
}

void Local::DownloadAndInstall() {
    view_.setStatus(QString::fromUtf8(kDownloadingStatus));
    view_.repaint();
    view_.setProgress(ProgressStep::Downloading);
    const QString address = serverAddress();
    try {
        deleteLocalCopy(state_.ArchiveFileName);
    } catch (const std::exception&) {
        // A copy that stays is replaced by the transfer or makes it fail; both are handled below.
    }

    statement_.reset();
    if (!signingKey_.empty()) {
        Result<ReleaseStatement, std::string> statement = fetchStatement(address);
        if (statement)
            statement_ = std::move(*statement);
        else
            logFailedStep(QStringLiteral("signature"), QString::fromStdString(statement.reason()));
    }
    if ((signingKey_.empty() || statement_) && fetchArchive(address) && install()) {
        archive_.reset();
        view_.setStatus(QString::fromUtf8(kUpdatedMessage));
        view_.repaint();
        view_.setProgress(ProgressStep::Updated);
        // The module is whole and the agent's files are gone: the next agent may go on while
        // this one's message waits for a person.
        deleteLocalCopies();
        releaseModule();
        ShowInfo(QString::fromUtf8(kUpdatedMessage));
        if (FileExists(state_.ModuleFolder + state_.ProgramFileName))
            startProgram();
        view_.unload();
        return;
    }

    archive_.reset();
    releaseModule();
    view_.setStatus(QString::fromUtf8(kNotUpdatedMessage));
    ShowInfo(QString::fromUtf8(kNotUpdatedMessage));
    startProgram();
    view_.unload();
}

} // namespace quillset
