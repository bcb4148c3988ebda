#include "updater/Local.h"

#include "platform/AgentTitle.h"
#include "platform/FailureLog.h"
#include "platform/StopPoint.h"
#include "platform/WindowsPath.h"
#include "updater/CommandLine.h"
#include "updater/Durable.h"

#include <chrono>
#include <thread>

namespace quillset {

namespace {

// A reason quoted from a file name an earlier run left may be long; the line stays short.
constexpr qsizetype kLongestReason = 400;

// The module name becomes the last part of every local path; one that names another folder
// would make the agent delete and write files outside the module folder.
bool IsPlainFileName(const QString& name) {
    return name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char('/'));
}

} // namespace

Local::Local(Dialogs& dialogs, MousePointer& pointer, AgentView& view, InternetTransfer& transfer,
             StoredValues stored)
    : dialogs_(dialogs), pointer_(pointer), view_(view), transfer_(transfer),
      stored_(std::move(stored)), des_(dialogs), codeModule_(dialogs, state_.ArchivePassword) {}

void Local::ShowInfo(const QString& text) {
    dialogs_.showMessage({QString::fromLatin1(kAgentTitle), text, MessageIcon::Information,
                          MessageButtons::Ok, MessageAnswer::Ok});
}

bool Local::ReadCommandLine(const QString& arguments) {
    const CommandLineReading reading = ReadCommandLineFields(arguments);
    QString refusal;
    ModuleFolderResolution folder;
    if (reading.verdict == CommandLineVerdict::Empty)
        refusal = QString::fromUtf8(kStandAloneMessage);
    else if (reading.verdict == CommandLineVerdict::SurplusFields)
        refusal = QString::fromUtf8(kSurplusFieldsMessage);
    else if (!IsPlainFileName(reading.fields.ModuleName))
        refusal = QString::fromUtf8(kModuleNameMessage);
    else if (folder = ResolveModuleFolder(reading.fields); !folder.ambiguous.isEmpty())
        refusal = QString::fromUtf8(kAmbiguousFolderMessage) + folder.ambiguous;
    if (!refusal.isEmpty()) {
        ShowInfo(refusal);
        view_.unload();
        return false;
    }

    state_.ModuleName = reading.fields.ModuleName;
    state_.CurrentVersion = reading.fields.CurrentVersion;
    // The folder as found on disk, not its upper-cased text: every path below is built from it.
    state_.ModuleFolder = folder.folder;
    state_.VersionFileName = state_.ModuleName + QStringLiteral(".VER");
    state_.ArchiveFileName = state_.ModuleName + QStringLiteral(".ZIP");
    state_.ProgramFileName = state_.ModuleName + QStringLiteral(".EXE");
    state_.ArchivePassword =
        des_.DecryptHexText(stored_.archivePassword, QString::fromLatin1(kStoredValuesKey));
    folderUnusable_ = !folder.unusable.isEmpty();
    if (folderUnusable_) {
        logFailedStep(QStringLiteral("command line"), folder.unusable);
    } else if (const SystemResult<> opened = change_.open(moduleFolderPath()); !opened) {
        // Opened once, here: the folder's entries are reached through it from now on. Without
        // it the claim tries again and the transfers fail on their own; this says why.
        logFailedStep(QStringLiteral("command line"), QString::fromUtf8(opened.reason().what()));
    }
    view_.setCurrentSoftware(state_.ProgramFileName);
    view_.setProgress(ProgressStep::Loaded);
    return true;
}

void Local::logFailedStep(const QString& step, const QString& reason) const {
    LogFailure({QString::fromLatin1(kAgentTitle), state_.ModuleName, step, reason});
}

std::filesystem::path Local::moduleFolderPath() const {
    return ResolveWindowsPath(state_.ModuleFolder);
}

void Local::claimModule() {
    if (folderUnusable_)
        return;
    if (change_.tryClaim(moduleFolderPath()) == ModuleChange::Claim::Held)
        recoverModule();
}

bool Local::awaitModule() {
    if (change_.held())
        return true; // since load, and recovered then
    const std::filesystem::path module = moduleFolderPath();
    ModuleChange::Claim claim = change_.tryClaim(module);
    if (claim == ModuleChange::Claim::Busy) {
        view_.setStatus(QString::fromUtf8(kWaitingStatus));
        view_.repaint();
        const HourglassWhileBusy busy(pointer_);
        const auto giveUp = lockWaitLimit_ == std::chrono::seconds::max()
                                ? std::chrono::steady_clock::time_point::max()
                                : std::chrono::steady_clock::now() + lockWaitLimit_;
        while (claim == ModuleChange::Claim::Busy) {
            view_.processEvents();
            if (view_.unloadRequested())
                throw AgentEnded{};
            if (std::chrono::steady_clock::now() >= giveUp)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            claim = change_.tryClaim(module);
        }
    }
    // Without a folder there is nothing to protect: the transfers fail on their own.
    if (claim == ModuleChange::Claim::Held)
        recoverModule();
    return true;
}

void Local::recoverModule() {
    // Only the undoing of a swap holds ending signals back; a removal of what an earlier run
    // left ends with the agent, and the next start goes on with it.
    try {
        switch (change_.recover()) {
        case Recovery::Nothing:
            break;
        case Recovery::Finished:
            logFailedStep(QStringLiteral("recovery"),
                          QStringLiteral("an earlier update had ended before its clean-up; the "
                                         "new version stays and the clean-up is done"));
            break;
        case Recovery::Undone:
            logFailedStep(QStringLiteral("recovery"),
                          QStringLiteral("an earlier update was cut short; the old version is "
                                         "back in place"));
            break;
        case Recovery::LeftoversRemoved:
            logFailedStep(QStringLiteral("recovery"),
                          QStringLiteral("an earlier update ended before it changed the module; "
                                         "its staging folder is removed"));
            break;
        }
    } catch (const SwapError& error) {
        logFailedStep(QStringLiteral("recovery"), QString::fromStdString(error.what()));
    }
    const ModuleChange::Sweep sweep = change_.sweepLeftovers(localCopyNames());
    if (sweep.removed > 0)
        logFailedStep(
            QStringLiteral("recovery"),
            QStringLiteral("removed %1 temporaries an earlier run left").arg(sweep.removed));
    // Told at every start while they stay, so an operator learns why; one line, however many.
    if (sweep.stuck > 0)
        logFailedStep(QStringLiteral("recovery"),
                      QStringLiteral("%1 temporaries of earlier runs cannot be removed and stay; "
                                     "the first: %2")
                          .arg(sweep.stuck)
                          .arg(QString::fromStdString(sweep.firstProblem).left(kLongestReason)));
    StopPoint("recovered");
}

std::vector<std::string> Local::localCopyNames() const {
    return {localName(state_.VersionFileName), localName(state_.ArchiveFileName),
            localName(state_.ModuleName + QStringLiteral(".SIG"))};
}

QString Local::serverAddress() {
    return des_.DecryptHexText(stored_.serverAddress, QString::fromLatin1(kStoredValuesKey));
}

void Local::runCycle() {
    try {
        if (!folderUnusable_ && !awaitModule()) {
            logFailedStep(QStringLiteral("lock"), QString::fromUtf8(kNoWaitMessage));
            view_.setStatus(QString::fromUtf8(kNotUpdatedMessage));
            ShowInfo(QString::fromUtf8(kNotUpdatedMessage));
            startProgram();
            view_.unload();
            return;
        }
        view_.setStatus(QString::fromUtf8(kScanningStatus));
        view_.repaint();
        view_.showBusy();
        const bool newer = !folderUnusable_ && CheckForNewVersion();
        view_.clearActivity();
        if (newer) {
            DownloadAndInstall();
            return;
        }
        releaseModule();
        view_.setStatus(QString::fromUtf8(kLatestVersionMessage));
        view_.setProgress(view_.progressMaximum());
        ShowInfo(QString::fromUtf8(kLatestVersionMessage));
        if (closeWhenUpToDate_)
            view_.unload();
    } catch (const AgentEnded&) {
        // The window was unloaded during a transfer; the agent ends with nothing more done.
    }
}

} // namespace quillset
