#include "Local.h"

#include "CommandLine.h"

namespace quillset {

namespace {

// The module name becomes the last part of every local path; one that names another folder
// would make the agent delete and write files outside the module folder.
bool isPlainFileName(const QString& name) {
    return name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char('/'));
}

} // namespace

Local::Local(Dialogs& dialogs, MousePointer& pointer, AgentView& view, InternetTransfer& transfer,
             StoredValues stored)
    : dialogs_(dialogs), pointer_(pointer), view_(view), transfer_(transfer),
      stored_(std::move(stored)), des_(dialogs), codeModule_(dialogs, state_.ArchivePassword) {}

void Local::ShowInfo(const QString& text) {
    dialogs_.showMessage({QStringLiteral("TLUPDATER"), text, MessageIcon::Information,
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
    else if (!isPlainFileName(reading.fields.ModuleName))
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
    view_.setProgress(0);
    return true;
}

QString Local::ServerAddress() {
    return des_.DecryptHexText(stored_.ServerAddress, QString::fromLatin1(kStoredValuesKey));
}

void Local::RunCycle() {
    try {
        view_.setStatus(QString::fromUtf8(kScanningStatus));
        view_.repaint();
        if (CheckForNewVersion()) {
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
