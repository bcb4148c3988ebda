#include "updater/ModuleSwap.h"

#include "platform/FailPoint.h"
#include "platform/SignalCleanup.h"
#include "platform/StopPoint.h"
#include "posix/Beneath.h"
#include "updater/Durable.h"

#include <QString>
#include <unistd.h>

namespace quillset {

namespace {

// True while `name` in `folder` is the open folder `opened` itself.
bool NameLeadsTo(int folder, const std::string& name, int opened) {
    const std::optional<struct stat> named = StatBeneath(folder, name);
    struct stat info {};
    return named && ::fstat(opened, &info) == 0 && named->st_dev == info.st_dev &&
           named->st_ino == info.st_ino;
}

bool IsRealFolder(int folder, const std::string& path) {
    const std::optional<struct stat> info = StatBeneath(folder, path);
    return info && S_ISDIR(info->st_mode);
}

void PlanFolder(const WorkingFolders& folders, int staging, const std::string& relative,
                std::vector<SwapStep>& steps) {
    const Fd listed =
        relative.empty() ? Fd() : OpenBeneath(staging, relative, O_RDONLY | O_DIRECTORY);
    for (const std::string& entry :
         ListFolder(listed ? listed.get() : staging, (kStagingName + ("/" + relative)))) {
        const std::string name = relative.empty() ? entry : relative + "/" + entry;
        if (IsRealFolder(staging, name) && IsRealFolder(folders.handle, name))
            PlanFolder(folders, staging, name, steps);
        else
            steps.push_back(
                {StatBeneath(folders.handle, name) ? SwapStep::Kind::Replace : SwapStep::Kind::Add,
                 name});
    }
}

// Moves `path` out of the way into the backup folder under a name no other step uses.
void SetAside(const WorkingFolders& folders, int backup, const std::string& path,
              std::size_t index) {
    const std::string aside = "undone-" + std::to_string(index);
    RemoveTreeBeneath(backup, aside);
    RenameBeneath(folders.handle, path, backup, aside);
}

void MakeStep(const WorkingFolders& folders, int staging, int backup, const SwapStep& step,
              std::size_t index) {
    if (step.kind == SwapStep::Kind::Replace)
        RenameBeneath(folders.handle, step.path, backup, BackupOf(index));
    if (FailPoint("swap-rename"))
        ThrowSystemError("cannot move to " + step.path + ":", step.path);
    RenameBeneath(staging, step.path, folders.handle, step.path);
}

// Safe to repeat, and to run on steps that were never made: a crash while undoing is undone by
// the next start the same way.
void UndoStep(const WorkingFolders& folders, int backup, const SwapStep& step, std::size_t index) {
    StopPoint("undo-step");
    if (step.kind == SwapStep::Kind::Add) {
        // Planned because the place was free; whatever is there now came from the staging folder.
        if (StatBeneath(folders.handle, step.path))
            SetAside(folders, backup, step.path, index);
        return;
    }
    if (!StatBeneath(backup, BackupOf(index)))
        return; // not made, or already undone
    if (StatBeneath(folders.handle, step.path))
        SetAside(folders, backup, step.path, index);
    RenameBeneath(backup, BackupOf(index), folders.handle, step.path);
}

void UndoSteps(const WorkingFolders& folders, const std::vector<SwapStep>& steps) {
    // Undoing is a swap too: it completes before an ending signal is acted on.
    const EndingSignalsHeld held;
    // A journal may be forged: every step's way must be free of links before the first move.
    for (const SwapStep& step : steps)
        if (const auto way = TryStatBeneath(folders.handle, step.path); !way)
            throw SwapError(
                "the journal's step " + step.path +
                " does not lie plainly in the module, nothing is undone: " + way.reason().what());
    if (!StatBeneath(folders.handle, kBackupName))
        MakeFolderBeneath(folders.handle, kBackupName, 0700);
    const Fd backup = OpenOwnFolder(folders, kBackupName);
    for (std::size_t i = steps.size(); i-- > 0;)
        UndoStep(folders, backup.get(), steps[i], i);
    SyncFileSystem(folders.handle, folders.module.string());
}

void RemoveIfThere(const WorkingFolders& folders, const char* name) {
    if (StatBeneath(folders.handle, name))
        RemoveBeneath(folders.handle, name);
}

// The journal goes last: until it is gone, a crash here is finished by the next start.
void RemoveWorkingFolders(const WorkingFolders& folders) {
    RemoveOwnFolder(folders, kBackupName);
    StopPoint("cleanup");
    RemoveOwnFolder(folders, kStagingName);
    RemoveIfThere(folders, kJournalDraftName);
    RemoveIfThere(folders, kJournalName);
    Flush(folders.handle, folders.module.string());
}

// What stays after a failed clean-up goes aside under a name the next start sweeps, so the
// journal can go and a later update is not held up.
void SetAsideAfterCommit(const WorkingFolders& folders) {
    for (const char* name : {kBackupName, kStagingName}) {
        if (!StatBeneath(folders.handle, name))
            continue;
        for (int n = 0;; ++n) {
            const std::string aside = kSetAsidePrefix + std::to_string(n);
            if (StatBeneath(folders.handle, aside))
                continue;
            RenameBeneath(folders.handle, name, folders.handle, aside);
            break;
        }
    }
    RemoveIfThere(folders, kJournalDraftName);
    RemoveIfThere(folders, kJournalName);
    Flush(folders.handle, folders.module.string());
}

} // namespace

Fd OpenOwnFolder(const WorkingFolders& folders, const std::string& name) {
    SystemResult<Fd> folder = TryOpenBeneath(folders.handle, name, O_RDONLY | O_DIRECTORY);
    if (!folder)
        throw SwapError(folders.shown(name).string() +
                        " is not a folder of the agent's, left alone: " + folder.reason().what());
    struct stat info {};
    if (::fstat(folder->get(), &info) != 0 || info.st_uid != ::geteuid())
        throw SwapError(folders.shown(name).string() +
                        " belongs to another user, not to the agent; left alone");
    return *std::move(folder);
}

void RemoveOwnFolder(const WorkingFolders& folders, const std::string& name) {
    AsSwap([&] {
        if (!StatBeneath(folders.handle, name))
            return;
        OpenOwnFolder(folders, name);
        RemoveTreeBeneath(folders.handle, name);
    });
}

std::string BackupOf(std::size_t index) {
    return std::to_string(index);
}

std::vector<SwapStep> PlanSwap(const WorkingFolders& folders, int staging,
                               const std::vector<std::string>& localCopies) {
    return AsSwap([&] {
        // The sweep of a later start would take such a file for the agent's own and remove it.
        for (const std::string& name : ListFolder(staging, kStagingName))
            if (IsReservedName(name) || IsPartialTransfer(name, localCopies))
                throw SwapError("the archive holds " + name +
                                ", a name the agent keeps for itself");
        std::vector<SwapStep> steps;
        PlanFolder(folders, staging, {}, steps);
        return steps;
    });
}

void SwapIn(const WorkingFolders& folders, int staging, const std::vector<SwapStep>& steps) {
    AsSwap([&] {
        if (StatBeneath(folders.handle, kJournalName) || StatBeneath(folders.handle, kBackupName))
            throw SwapError("an earlier swap in " + folders.module.string() +
                            " is still unfinished");
        // Entries are taken from the folder that was unpacked and checked, through its handle;
        // a folder someone put at its name since is not what was checked, nor is the one taken
        // away: neither is installed.
        if (!NameLeadsTo(folders.handle, kStagingName, staging))
            throw SwapError(folders.shown(kStagingName).string() +
                            " was replaced after the unpack; nothing is installed");
        // The staged data reaches the disk before any name points at it.
        SyncFileSystem(staging, kStagingName);
        WriteJournal(folders, steps);
        StopPoint("journal-written");
        try {
            MakeFolderBeneath(folders.handle, kBackupName, 0700);
            const Fd backup = OpenOwnFolder(folders, kBackupName);
            for (std::size_t i = 0; i < steps.size(); ++i) {
                StopPoint("swap-step");
                MakeStep(folders, staging, backup.get(), steps[i], i);
            }
            SyncFileSystem(folders.handle, folders.module.string());
            StopPoint("swap-done");
            MarkCommitted(folders);
        } catch (const Failure& error) {
            UndoSteps(folders, steps);
            RemoveWorkingFolders(folders);
            throw SwapError(error.what());
        }
    });
    StopPoint("committed");
}

void ClearSwap(const WorkingFolders& folders) {
    std::string problem;
    try {
        RemoveWorkingFolders(folders);
        return;
    } catch (const Failure& error) {
        problem = error.what();
    }
    AsSwap([&] { SetAsideAfterCommit(folders); });
    throw SwapError(problem);
}

Recovery RecoverSwap(const WorkingFolders& folders) {
    return AsSwap([&] {
        const std::optional<SwapJournal> journal = ReadJournal(folders);
        Recovery found = journal ? (journal->committed ? Recovery::Finished : Recovery::Undone)
                                 : Recovery::Nothing;
        if (found == Recovery::Nothing && (StatBeneath(folders.handle, kStagingName) ||
                                           StatBeneath(folders.handle, kBackupName) ||
                                           StatBeneath(folders.handle, kJournalDraftName)))
            found = Recovery::LeftoversRemoved;
        if (found == Recovery::Nothing)
            return found;
        if (found == Recovery::Undone) {
            UndoSteps(folders, journal->steps);
            RemoveWorkingFolders(folders);
        } else if (found == Recovery::Finished) {
            try {
                ClearSwap(folders);
            } catch (const SwapError&) {
                // Set aside, for the sweep that follows the recovery to remove or tell of; only a
                // journal that stays ends the recovery.
                if (StatBeneath(folders.handle, kJournalName))
                    throw;
            }
        } else {
            // Without a journal nothing of the module changed yet: staging and backups are
            // leftovers.
            RemoveWorkingFolders(folders);
        }
        return found;
    });
}

} // namespace quillset
