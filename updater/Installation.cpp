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

#include <cstring>
#include <sys/stat.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

QString Text(const fs::path& path) {
    return QString::fromStdString(path.string());
}

QString KindOf(mode_t mode) {
    return S_ISLNK(mode)   ? QStringLiteral("a link")
           : S_ISDIR(mode) ? QStringLiteral("a folder")
                           : QStringLiteral("a special file");
}

} // namespace

Step<> Local::UnpackArchive(const QString& archivePath, const QString& folder) {
    CGUnzipFiles unzip(codeModule_);
    try {
        unzip.Unzip(archivePath, folder);
    } catch (const UnzipError& failure) {
        return StepFailed(QStringLiteral("unpack"), QStringLiteral("%1 (error %2 from %3)")
                                                        .arg(failure.description())
                                                        .arg(failure.number())
                                                        .arg(failure.source()));
    }
    const UnzipOutcome outcome = unzip.lastOutcome();
    if (!outcome.succeeded())
        return StepFailed(QStringLiteral("unpack"), outcome.summary());
    return {};
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

Step<> Local::stageArchive(const fs::path& staging) {
    StopPoint("unpack-started");
    if (Step<> unpacked = UnpackArchive(Text(archive_.path()), Text(staging) + QLatin1Char('/'));
        !unpacked)
        return unpacked;
    StopPoint("unpack-done");
    return {};
}

Step<> Local::prepareStagedProgram(const Fd& staging) {
    const auto refused = [](const QString& reason) {
        return StepFailed(QStringLiteral("check"), reason);
    };
    // The program as the archive spells it, found as the module's program is, in any case.
    const fs::path stagingPath = staging.path();
    const std::string staged =
        ResolveWindowsPath(Text(stagingPath) + QLatin1Char('/') + state_.ProgramFileName)
            .lexically_relative(stagingPath)
            .string();
    const SystemResult<std::optional<struct stat>> found = TryStatBeneath(staging.get(), staged);
    if (!found || !*found)
        return refused(QStringLiteral("the archive holds no %1").arg(state_.ProgramFileName));
    const struct stat info = **found;
    if (!S_ISREG(info.st_mode))
        return refused(QStringLiteral("the archive's %1 is %2, not a program file")
                           .arg(state_.ProgramFileName)
                           .arg(KindOf(info.st_mode)));
    // The staged program takes the exact name the module's program has, so the swap replaces
    // the very file that is started afterwards.
    const std::string wanted = localName(state_.ProgramFileName);
    if (staged != wanted) {
        const SystemResult<std::optional<struct stat>> taken =
            TryStatBeneath(staging.get(), wanted);
        if (taken && *taken)
            return refused(QStringLiteral("the archive holds two spellings of %1")
                               .arg(state_.ProgramFileName));
        if (const SystemResult<> renamed =
                TryRenameBeneath(staging.get(), staged, staging.get(), wanted);
            !renamed)
            return refused(
                QStringLiteral("cannot rename the staged %1: %2")
                    .arg(state_.ProgramFileName)
                    .arg(QString::fromLocal8Bit(std::strerror(renamed.reason().error()))));
    }
    // Archives from hosts without Unix modes carry none: whoever may read it may run it.
    const mode_t executable = info.st_mode | ((info.st_mode & 0444) >> 2);
    if (const SystemResult<> made = TryChangeModeBeneath(staging.get(), wanted, executable & 07777);
        !made)
        return refused(QStringLiteral("cannot make %1 executable: %2")
                           .arg(state_.ProgramFileName)
                           .arg(QString::fromLocal8Bit(std::strerror(made.reason().error()))));
    return {};
}

Step<> Local::swapStaged(const Fd& staging, const std::vector<SwapStep>& steps) {
    Step<> cleared;
    {
        const EndingSignalsHeld held;
        if (Step<> swapped =
                Attempt(QStringLiteral("swap"), [&] { change_.swapIn(staging, steps); });
            !swapped)
            return swapped;
        cleared = Attempt(QStringLiteral("clean-up"), [&] { change_.clearSwap(); });
    }
    if (!cleared)
        logFailedStep(cleared.reason().step,
                      QStringLiteral("the new version is in place; what could not be removed "
                                     "is removed by a later start: %1")
                          .arg(cleared.reason().reason));
    return {};
}

Step<> Local::installSteps() {
    // Only a swap that the recovery could not undo leaves a journal; nothing goes over it.
    if (change_.unfinished())
        return StepFailed(QStringLiteral("swap"),
                          QStringLiteral("an earlier update of this module is still unfinished"));
    Fd staging;
    if (const Step<> made =
            Attempt(QStringLiteral("unpack"), [&] { staging = change_.makeStaging(); });
        !made)
        return StepFailed(made.reason().step, QStringLiteral("cannot create the staging folder: ") +
                                                  made.reason().reason);
    if (Step<> staged = stageArchive(staging.path()); !staged)
        return staged;
    if (Step<> checked = checkStagedEntries(staging.get()); !checked)
        return checked;
    if (Step<> ready = prepareStagedProgram(staging); !ready)
        return ready;
    std::vector<SwapStep> steps;
    if (Step<> planned = Attempt(QStringLiteral("check"),
                                 [&] { steps = change_.plan(staging, localCopyNames()); });
        !planned)
        return planned;
    return swapStaged(staging, steps);
}

Step<> Local::install() {
    view_.setStatus(QString::fromUtf8(kUnpackingStatus));
    view_.repaint();
    view_.setProgress(ProgressStep::Unpacking);

    // An ending signal during the unpack removes the staging folder; the swap holds signals back.
    const RemovedOnSignal removed(change_.folders().shown(kStagingName));
    Step<> installed;
    // The module folder itself failing under the agent counts as a failed swap.
    if (Step<> broken = Attempt(QStringLiteral("swap"), [&] { installed = installSteps(); });
        !broken)
        installed = broken;
    if (installed)
        return installed;
    // The module is as it was; what was staged goes (a failed swap removed it already).
    try {
        if (!change_.unfinished())
            change_.discardStaging();
    } catch (const SwapError&) {
        // Removed by the next start's recovery.
    }
    return installed;
}

Step<> Local::fetchArchive(const QString& address) {
    // A signed statement without entries' digests can only vouch for the whole archive.
    if (!statement_ || !statement_->entries.empty()) {
        Step<FetchedArchive> partial = fetchChangedEntries(address);
        view_.clearActivity();
        if (partial && partial->whole && !transfer_.rangeAnswer().placed)
            logFailedStep(QStringLiteral("partial fetch"),
                          QStringLiteral("the server answers no ranges: the whole archive came"));
        if (partial) {
            archive_ = std::move(partial->file);
            StopPoint("archive-fetched");
            return partial->whole ? checkWholeArchive() : Step<>();
        }
        if (partial.reason().then != StepProblem::Then::FallBack)
            return Refuse(partial.reason());
        logFailedStep(partial.reason().step,
                      QStringLiteral("the whole archive is fetched instead: %1")
                          .arg(partial.reason().reason));
    }
    fetchedEntries_.clear();
    if (Step<> copy = fetchLocalCopy(address, state_.ArchiveFileName); !copy)
        return copy;
    StopPoint("archive-fetched");
    if (Step<> copied =
            Attempt(QStringLiteral("archive transfer"),
                    [&] { archive_ = change_.privateCopy(localName(state_.ArchiveFileName)); });
        !copied)
        return copied;
    return checkWholeArchive();
}

Step<> Local::fetchAndInstall(const QString& address) {
    statement_.reset();
    if (!signingKey_.empty()) {
        Step<ReleaseStatement> statement = fetchStatement(address);
        if (!statement)
            return Refuse(statement.reason());
        statement_ = *std::move(statement);
    }
    if (Step<> fetched = fetchArchive(address); !fetched)
        return fetched;
    return install();
}

void Local::DownloadAndInstall() {
    view_.setStatus(QString::fromUtf8(kDownloadingStatus));
    view_.repaint();
    view_.setProgress(ProgressStep::Downloading);
    const QString address = serverAddress();
    // A copy that stays is replaced by the transfer or makes it fail; both are handled below.
    static_cast<void>(change_.removeFile(localName(state_.ArchiveFileName)));

    const Step<> done = fetchAndInstall(address);
    archive_.reset();
    if (done) {
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

    logFailedStep(done.reason().step, done.reason().reason);
    releaseModule();
    view_.setStatus(QString::fromUtf8(kNotUpdatedMessage));
    ShowInfo(QString::fromUtf8(kNotUpdatedMessage));
    startProgram();
    view_.unload();
}

} // namespace quillset
