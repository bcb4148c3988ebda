#include "QuillsetVersion.h"
#include "platform/AgentTitle.h"
#include "platform/StopPoint.h"
#include "platform/WindowsPath.h"
#include "posix/Beneath.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "updater/VersionFile.h"

namespace quillset {

namespace fs = std::filesystem;

namespace {

// A header value that names the module as given: bytes that would end the header line or the
// comment, or are not plain ASCII, are written as %XX.
std::string HeaderText(const QString& text) {
    std::string out;
    for (const char byte : text.toUtf8()) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 || code > 0x7e || byte == '%' || byte == '(' || byte == ')' ||
            byte == '\\') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += {'%', kHex[code >> 4], kHex[code & 15]};
        } else {
            out += byte;
        }
    }
    return out;
}

// The installed version as a decimal: 1 is written 1.0, 2.5 stays 2.5.
std::string VersionText(float version) {
    QString text = QString::number(double(version), 'g', 7);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        text.back().isDigit())
        text += QStringLiteral(".0");
    return text.toStdString();
}

// "TLUPDATER/1.0 (Quillset; EDITOR 1.0)": the agent and the module it updates, for the server's
// log and for servers that refuse requests without a User-Agent.
std::string UserAgent(const UpdateState& state) {
    return std::string(kAgentTitle) + "/" + kQuillsetVersion + " (Quillset; " +
           HeaderText(state.ModuleName) + " " + VersionText(state.CurrentVersion) + ")";
}

} // namespace

fs::path Local::localPath(const QString& name) const {
    return ResolveWindowsPath(state_.ModuleFolder + name);
}

std::string Local::localName(const QString& name) const {
    return localPath(name).filename().string();
}

bool Local::FileExists(const QString& path) const {
    const fs::path file = ResolveWindowsPath(path);
    if (change_.isOpen() && file.parent_path() == change_.folders().module)
        return change_.hasFile(file.filename().string());
    // Elsewhere the same test by the file's own folder: a regular file, never waited on.
    const SystemResult<Fd> folder = TryOpenFolder(file.parent_path().string());
    return folder && TryOpenFileBeneath(folder->get(), file.filename().string());
}

void Local::deleteLocalCopy(const QString& name) {
    OrThrow(change_.removeFile(localName(name)));
}

void Local::deleteLocalCopies() {
    // Part of the failure steps: one copy that will not go must not keep the other.
    for (const QString& name : {state_.ArchiveFileName, state_.VersionFileName})
        static_cast<void>(change_.removeFile(localName(name)));
}

QString Local::stepOf(const QString& remoteName) const {
    return remoteName == state_.ArchiveFileName   ? QStringLiteral("archive transfer")
           : remoteName == state_.VersionFileName ? QStringLiteral("version check")
                                                  : QStringLiteral("signature");
}

Step<> Local::TransferFile(InternetTransfer& control, const QString& address,
                           const QString& remoteName, const QString& localFolder) {
    const HourglassWhileBusy busy(pointer_);
    // Only the archive is large, and long enough in coming for its bytes to be worth showing; the
    // version and signature files take the small-file limits.
    const bool archive = remoteName == state_.ArchiveFileName;
    control.setLimits(archive                                ? limits_.archive
                      : remoteName == state_.VersionFileName ? limits_.versionFile
                                                             : limits_.signatureFile);
    control.setUserAgent(userAgent());
    // Into the module folder through its open handle: the file lands in the folder that was
    // claimed, whatever is renamed in its place meanwhile.
    const QString folder =
        change_.isOpen() && localFolder == state_.ModuleFolder
            ? QString::fromStdString(change_.throughHandle().string()) + QLatin1Char('/')
            : localFolder;
    try {
        control.Execute(address, QStringLiteral("GET ") + remoteName + QLatin1Char(' ') + folder +
                                     remoteName);
        StopPoint("transfer-started");
        awaitTransfer(control, [&] {
            if (archive)
                view_.showTransferProgress(control.progress());
        });
    } catch (const TransferError& error) {
        return StepFailed(stepOf(remoteName), QString::fromUtf8(error.what()));
    }
    if (archive)
        view_.clearActivity();
    return {};
}

Step<> Local::fetchLocalCopy(const QString& address, const QString& name) {
    if (Step<> sent = TransferFile(transfer_, address, name, state_.ModuleFolder); !sent)
        return sent;
    if (FileExists(state_.ModuleFolder + name))
        return {};
    return StepFailed(stepOf(name),
                      transfer_.lastError().isEmpty()
                          ? QStringLiteral("the file did not arrive in the module folder")
                          : transfer_.lastError());
}

void Local::awaitTransfer(InternetTransfer& control, const std::function<void()>& onRound) {
    while (control.StillExecuting()) {
        onRound();
        view_.processEvents();
        if (view_.unloadRequested()) {
            control.cancel();
            throw AgentEnded{};
        }
    }
}

std::string Local::userAgent() const {
    return UserAgent(state_);
}

bool Local::CheckForNewVersion() {
    const HourglassWhileBusy busy(pointer_);
    // A check that could not be made is told to no one: the version counts as not newer.
    const auto noVersion = [this](const QString& reason) {
        logFailedStep(QStringLiteral("version check"), reason);
        view_.setStatus(QString::fromUtf8(kLatestVersionMessage));
        deleteLocalCopies();
        state_.ServerVersion = state_.CurrentVersion;
    };
    try {
        deleteLocalCopy(state_.VersionFileName);
        const QString address = serverAddress();
        if (const Step<> copy = fetchLocalCopy(address, state_.VersionFileName); copy) {
            // Read through a descriptor of its own: whatever takes the name meanwhile.
            const Fd file = OrThrow(change_.openFile(localName(state_.VersionFileName)));
            const std::optional<float> version = ReadVersionFile(file.path());
            if (!version) {
                noVersion(QStringLiteral("the version file holds no version"));
                return false;
            }
            state_.ServerVersion = *version;
        } else {
            // A transfer that failed still completes the check, as one that found no newer
            // version does; a fault inside the check ends it at once.
            noVersion(copy.reason().reason);
        }
        const bool newer = state_.ServerVersion > state_.CurrentVersion;
        view_.setProgress(ProgressStep::VersionChecked);
        return newer;
    } catch (const AgentEnded&) {
        throw;
    } catch (const std::exception& error) {
        noVersion(QString::fromUtf8(error.what()));
        return false;
    }
}

} // namespace quillset
