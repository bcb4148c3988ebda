#pragma once

#include "cipher/DES_Crypt.h"
#include "platform/Dialogs.h"
#include "platform/MousePointer.h"
#include "signature/ReleaseSignatureFile.h"
#include "unzip/CodeModule.h"
#include "updater/AgentTransferLimits.h"
#include "updater/AgentView.h"
#include "updater/ChangedEntries.h"
#include "updater/ModuleChange.h"
#include "updater/StepProblem.h"
#include "updater/UpdateState.h"

#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quillset {

class InternetTransfer;

// The values stored in the program, enciphered as hexadecimal text under kStoredValuesKey.
struct StoredValues {
    QString serverAddress;   // 96 digits
    QString archivePassword; // 16 digits
};

inline constexpr char kStoredValuesKey[] = "3E71B0C4";

inline constexpr char kStandAloneMessage[] =
    "This module can not be run as a stand alone application.";
inline constexpr char kSurplusFieldsMessage[] =
    "The command line holds more than three fields (module, version, folder). Nothing was "
    "updated.";
inline constexpr char kModuleNameMessage[] =
    "The module name on the command line is not a plain file name. Nothing was updated.";
inline constexpr char kAmbiguousFolderMessage[] =
    "Several folders match the module folder on the command line when case is ignored, and "
    "none matches it exactly. Nothing was updated. The folder: ";
inline constexpr char kNoWaitMessage[] =
    "another update of this module held it for longer than an unattended agent waits";
inline constexpr char kWaitingStatus[] = "Waiting for another update of this module to end...";
inline constexpr char kScanningStatus[] = "Scanning for a new version...";
inline constexpr char kLatestVersionMessage[] = "You have the latest version of the software.";
inline constexpr char kDownloadingStatus[] = "Downloading the latest version...";
inline constexpr char kUnpackingStatus[] = "Unpacking...";
inline constexpr char kUpdatedMessage[] = "Software updated succesfully!";
inline constexpr char kNotUpdatedMessage[] =
    "The software could not be updated. Please try again later.";

// The archive as fetched into an unnamed file: only its changed entries, rebuilt into an archive
// of their own, or the whole of it.
struct FetchedArchive {
    Fd file;
    bool whole = false;
};

// The agent's code module: the command line, the update cycle, discovery, transfers and
// installation, working on the shared UpdateState and on the window through AgentView.
//   Local.cpp:        the command line, the module's claim and recovery, the cycle's top level.
//   Discovery.cpp:    local paths and copies, TransferFile, CheckForNewVersion.
//   Installation.cpp: DownloadAndInstall, the staged unpack and its checks.
// The module's change itself (lock, recovery, staging, swap, leftovers, local copies) is
// ModuleChange, over one handle of the module folder. Every step answers a Step (StepProblem.h):
// its value, or the step's name and reason for the failure log; the design's procedures keep
// their yes-or-no answers, TransferFile and UnpackArchive as a Step<> that tests true or false.
class Local {
public:
    Local(Dialogs& dialogs, MousePointer& pointer, AgentView& view, InternetTransfer& transfer,
          StoredValues stored);

    UpdateState& state() { return state_; }
    const UpdateState& state() const { return state_; }
    // The unattended user closes the window after the up-to-date message, so the run ends.
    void setCloseWhenUpToDate(bool close) { closeWhenUpToDate_ = close; }
    void setTransferLimits(const AgentTransferLimits& limits) { limits_ = limits; }
    // The publisher's Ed25519 public key in PEM. With one, a release is installed only when its
    // signature file vouches for this module, this version and this archive.
    void setSigningKey(std::string publicKeyPem) { signingKey_ = std::move(publicKeyPem); }

    // An unattended agent gives up waiting for another agent's update of the module after
    // `limit`, with the failure outcome; one with a person before it waits until told to stop.
    void setLockWaitLimit(std::chrono::seconds limit) { lockWaitLimit_ = limit; }

    // Fills UpdateState from the command-line text, deciphers the archive password and shows
    // the program file name. A refused command line is told and unloads the window; then false.
    bool ReadCommandLine(const QString& arguments);
    // Takes the module lock when no other agent holds it and, holding it, finishes or undoes
    // what an earlier run left. Run at load, before anything else touches the module.
    void claimModule();
    // The cycle run once by the timer.
    void runCycle();

    void ShowInfo(const QString& text);
    // True when the transfer ran to its end without the control raising an error; else why not.
    // True does not prove that the file arrived: FileExists tells.
    Step<> TransferFile(InternetTransfer& control, const QString& address,
                        const QString& remoteName, const QString& localFolder);
    // True when `path` can be opened for reading as a regular file, without waiting on it.
    bool FileExists(const QString& path) const;
    bool CheckForNewVersion();
    void DownloadAndInstall();
    // Unpacks into `folder`: true when the engine reported no error (a result code below 2);
    // else the engine's answer, or why it could not be used.
    Step<> UnpackArchive(const QString& archivePath, const QString& folder);

private:
    QString serverAddress();
    // Removes the local copy `name` from the module folder when present; throws SystemError when
    // it stays.
    void deleteLocalCopy(const QString& name);
    // Both local copies, each that can be: a copy that stays is removed by the next run's check.
    void deleteLocalCopies();
    std::filesystem::path localPath(const QString& name) const;
    // The name of a local copy in the module folder, as found there.
    std::string localName(const QString& name) const;
    std::filesystem::path moduleFolderPath() const;
    // The names of the local copies of the server's files, as found in the module folder.
    std::vector<std::string> localCopyNames() const;
    // Waits, showing why, until this agent holds the module lock; throws AgentEnded when the
    // window is closed meanwhile. False when an unattended agent gave up waiting.
    bool awaitModule();
    // Lets the module go: it is whole and the agent's files in it are gone.
    void releaseModule() { change_.release(); }
    void recoverModule();
    // The statement (with a signing key), the archive, and its installation.
    Step<> fetchAndInstall(const QString& address);
    // Unpacks the fetched archive into the staging folder, checks it and swaps it into the
    // module; fails with the module as it was when that cannot be done completely.
    Step<> install();
    Step<> installSteps();
    // With a signing key, before any of the archive: the release's signature file, fetched and
    // checked against the key, this module and this version (ReleaseVerification.cpp).
    Step<ReleaseStatement> fetchStatement(const QString& address);
    // A whole archive held against the signed statement, when there is one.
    Step<> checkWholeArchive();
    // The entries of a partial fetch, staged, held against the signed statement.
    Step<> checkStagedEntries(int staging) const;
    // `staging` is a path to the open staging folder (/proc/self/fd/N), so neither the engine
    // nor the checks can be led elsewhere by a rename of the module's entries.
    Step<> stageArchive(const std::filesystem::path& staging);
    Step<> prepareStagedProgram(const Fd& staging);
    // The swap, with ending signals held back until it and its clean-up are done. A clean-up
    // that fails after the commit is only logged: the new version stands.
    Step<> swapStaged(const Fd& staging, const std::vector<SwapStep>& steps);
    void startProgram();
    // One line for an operator: the module, the step that failed and why.
    void logFailedStep(const QString& step, const QString& reason) const;
    // The step a failed transfer of the server's file `remoteName` is logged under.
    QString stepOf(const QString& remoteName) const;
    // TransferFile of the server's file `name` into the module folder, and FileExists of its
    // local copy: fails with the transfer's reason when the copy is not there.
    Step<> fetchLocalCopy(const QString& address, const QString& name);
    // Waits for the transfer `control` runs, calling `onRound` and handling the window's events
    // on every round; throws AgentEnded when the window is closed meanwhile.
    void awaitTransfer(InternetTransfer& control, const std::function<void()>& onRound);
    std::string userAgent() const;

    // The archive, into archive_: only its changed entries where the server answers ranges,
    // else (with one log line saying why) the whole of it.
    Step<> fetchArchive(const QString& address);
    // Chooses the entries of a partial fetch: against the signed statement when there is one
    // (noting what to check once they are staged), else by size and CRC-32.
    Step<EntrySelection> chooseEntries(const std::vector<zip::DirectoryEntry>& entries,
                                       const zip::DirectoryPlace& place);
    // The entries the module lacks or holds otherwise, in an archive of their own in an unnamed
    // file (PartialFetch.cpp), or the whole archive where the server answers no ranges; or why
    // neither was fetched, falling back to the whole archive where that can still be had.
    Step<FetchedArchive> fetchChangedEntries(const QString& address);
    // The archive's directory, from the `tail` fetched into `file` and, where it begins before
    // that, a piece more; sets where the directory lies.
    Step<std::string> fetchDirectory(const QString& address, int file, const RangeAnswer& tail,
                                     zip::DirectoryPlace& place);
    // One piece of the archive into `into`, showing the bytes as `before` plus the piece's.
    Step<> fetchPiece(const QString& address, const ByteRange& range,
                      const RangeCondition& condition, int into, const TransferProgress& before);

    Dialogs& dialogs_;
    MousePointer& pointer_;
    AgentView& view_;
    InternetTransfer& transfer_;
    StoredValues stored_;
    AgentTransferLimits limits_;
    DES_Crypt des_;
    UpdateState state_;
    // After state_: the password callback reads and may replace state_.ArchivePassword.
    CodeModule codeModule_;
    ModuleChange change_;
    // The fetched archive, copied where no one else can change it; what the signature check
    // reads (through archive_.path()) is what the engine unpacks.
    Fd archive_;
    // The signed statement of the release being installed, with a signing key; and the entries
    // a partial fetch took, which are held against it once staged.
    std::optional<ReleaseStatement> statement_;
    std::vector<std::pair<std::string, zip::DirectoryEntry>> fetchedEntries_;
    std::chrono::seconds lockWaitLimit_ = std::chrono::seconds::max();
    bool closeWhenUpToDate_ = false;
    bool folderUnusable_ = false; // the cycle then ends as when no version file can be fetched
    std::string signingKey_;
};

} // namespace quillset
