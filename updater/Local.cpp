#include "updater/Local.h"

#include "platform/AgentTitle.h"
#include "platform/FailureLog.h"
#include "platform/SignalCleanup.h"
#include "platform/StopPoint.h"
#include "platform/WindowsPath.h"
#include "updater/CommandLine.h"
#include "updater/Durable.h"
#include "updater/Leftovers.h"
#include "updater/ModuleSwap.h"

#include <chrono>
#include <thread>

namespace quillset {

namespace {

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
        des_.DecryptHexText(stored_.ArchivePassword, QString::fromLatin1(kStoredValuesKey));
    view_.setCurrentSoftware(state_.ProgramFileName);
    view_.setProgress(ProgressStep::Loaded);
    return true;
}

void Local::LogFailedStep(const QString& step, const QString& reason) const {
    LogFailure({QString::fromLatin1(kAgentTitle), state_.ModuleName, step, reason});
}

WorkingFolders Local::Folders() const {
    return {ResolveWindowsPath(state_.ModuleFolder)};
}

void Local::ClaimModule() {
    if (lock_.TryLock(Folders().module) == ModuleLock::Outcome::Held)
        RecoverModule();
}

void Local::AwaitModule() {
    if (lock_.held())
        return; // since load, and recovered then
    const std::filesystem::path module = Folders().module;
    ModuleLock::Outcome outcome = lock_.TryLock(module);
    if (outcome == ModuleLock::Outcome::Busy) {
        view_.setStatus(QString::fromUtf8(kWaitingStatus));
        view_.repaint();
        const HourglassWhileBusy busy(pointer_);
        while (outcome == ModuleLock::Outcome::Busy) {
            view_.processEvents();
            if (view_.unloadRequested())
                throw AgentEnded{};
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            outcome = lock_.TryLock(module);
        }
    }
    // Without a folder there is nothing to protect: the transfers fail on their own.
    if (outcome == ModuleLock::Outcome::Held)
        RecoverModule();
}

void Local::RecoverModule() {
    const WorkingFolders folders = Folders();
    // Undoing a swap is a swap too: it completes before an ending signal is acted on.
    const EndingSignalsHeld held;
    try {
        switch (RecoverSwap(folders)) {
        case Recovery::Nothing:
            break;
        case Recovery::Finished:
            LogFailedStep(QStringLiteral("recovery"),
                          QStringLiteral("an earlier update had ended before its clean-up; the "
                                         "new version stays and the clean-up is done"));
            break;
        case Recovery::Undone:
            LogFailedStep(QStringLiteral("recovery"),
                          QStringLiteral("an earlier update was cut short; the old version is "
                                         "back in place"));
            break;
        case Recovery::LeftoversRemoved:
            LogFailedStep(QStringLiteral("recovery"),
                          QStringLiteral("an earlier update ended before it changed the module; "
                                         "its staging folder is removed"));
            break;
        }
    } catch (const SwapError& error) {
        LogFailedStep(QStringLiteral("recovery"), QString::fromStdString(error.what()));
    }
    const int removed =
        RemoveLeftoverTemporaries(folders.module, {state_.VersionFileName, state_.ArchiveFileName});
    if (removed > 0)
        LogFailedStep(
            QStringLiteral("recovery"),
            QStringLiteral("removed %1 temporary files an earlier run left").arg(removed));
    StopPoint("recovered");
}

QString Local::ServerAddress() {
    return des_.DecryptHexText(stored_.ServerAddress, QString::fromLatin1(kStoredValuesKey));
}

void Local::RunCycle() {
    try {
        AwaitModule();
        view_.setStatus(QString::fromUtf8(kScanningStatus));
        view_.repaint();
        view_.showBusy();
        const bool newer = CheckForNewVersion();
        view_.clearActivity();
        if (newer) {
            DownloadAndInstall();
            return;
        }
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
