#include "updater/ModuleSwap.h"

#include "platform/FailPoint.h"
#include "platform/StopPoint.h"
#include "updater/Durable.h"

#include <QString>
#include <cerrno>
#include <sys/stat.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

bool IsRealFolder(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void PlanFolder(const WorkingFolders& folders, const fs::path& relative,
                std::vector<SwapStep>& steps) {
    const fs::path stagedFolder = folders.staging() / relative;
    std::error_code error;
    for (fs::directory_iterator it(stagedFolder, error), end; !error && it != end;
         it.increment(error)) {
        const fs::path name = relative / it->path().filename();
        const fs::path staged = folders.staging() / name;
        const fs::path target = folders.module / name;
        if (IsRealFolder(staged) && IsRealFolder(target))
            PlanFolder(folders, name, steps);
        else
            steps.push_back({EntryExists(target) ? SwapStep::Kind::Replace : SwapStep::Kind::Add,
                             name.string()});
    }
    if (error)
        throw SwapError("cannot read the staged folder " + stagedFolder.string() + ": " +
                        error.message());
}

// Moves `path` out of the way into the backup folder under a name no other step uses.
void SetAside(const WorkingFolders& folders, const fs::path& path, std::size_t index) {
    fs::path aside = folders.backup() / ("undone-" + std::to_string(index));
    std::error_code ignored;
    fs::remove_all(aside, ignored);
    RenameEntry(path, aside);
}

void MakeStep(const WorkingFolders& folders, const SwapStep& step, std::size_t index) {
    const fs::path target = folders.module / step.path;
    if (step.kind == SwapStep::Kind::Replace)
        RenameEntry(target, BackupOf(folders, index));
    if (FailPoint("swap-rename"))
        ThrowErrno<SwapError>("cannot move to " + target.string() + ":",
                              folders.staging() / step.path);
    RenameEntry(folders.staging() / step.path, target);
}

// Safe to repeat, and to run on steps that were never made: a crash while undoing is undone by
// the next start the same way.
void UndoStep(const WorkingFolders& folders, const SwapStep& step, std::size_t index) {
    StopPoint("undo-step");
    const fs::path target = folders.module / step.path;
    if (step.kind == SwapStep::Kind::Add) {
        // Planned because the place was free; whatever is there now came from the staging folder.
        if (EntryExists(target))
            SetAside(folders, target, index);
        return;
    }
    const fs::path backup = BackupOf(folders, index);
    if (!EntryExists(backup))
        return; // not made, or already undone
    if (EntryExists(target))
        SetAside(folders, target, index);
    RenameEntry(backup, target);
}

void UndoSteps(const WorkingFolders& folders, const std::vector<SwapStep>& steps) {
    if (::mkdir(folders.backup().c_str(), 0700) != 0 && errno != EEXIST)
        ThrowErrno<SwapError>("cannot create", folders.backup());
    for (std::size_t i = steps.size(); i-- > 0;)
        UndoStep(folders, steps[i], i);
    SyncFileSystem(folders.module);
}

void RemoveTree(const fs::path& path) {
    std::error_code error;
    fs::remove_all(path, error);
    if (error)
        throw SwapError("cannot remove " + path.string() + ": " + error.message());
}

// The journal goes last: until it is gone, a crash here is finished by the next start.
void RemoveWorkingFolders(const WorkingFolders& folders) {
    RemoveTree(folders.backup());
    StopPoint("cleanup");
    RemoveTree(folders.staging());
    RemoveTree(folders.journalDraft());
    RemoveTree(folders.journal());
    SyncPath(folders.module);
}

} // namespace

bool IsReservedName(const std::string& name) {
    return QString::fromStdString(name).startsWith(QLatin1String(".tlupdater"),
                                                   Qt::CaseInsensitive);
}

fs::path BackupOf(const WorkingFolders& folders, std::size_t index) {
    return folders.backup() / std::to_string(index);
}

std::vector<SwapStep> PlanSwap(const WorkingFolders& folders) {
    std::error_code error;
    for (fs::directory_iterator it(folders.staging(), error), end; !error && it != end;
         it.increment(error))
        if (IsReservedName(it->path().filename().string()))
            throw SwapError("the archive holds " + it->path().filename().string() +
                            ", a name the agent keeps for itself");
    std::vector<SwapStep> steps;
    PlanFolder(folders, {}, steps);
    return steps;
}

void SwapIn(const WorkingFolders& folders, const std::vector<SwapStep>& steps) {
    if (EntryExists(folders.journal()) || EntryExists(folders.backup()))
        throw SwapError("an earlier swap in " + folders.module.string() + " is still unfinished");
    // The staged data reaches the disk before any name points at it.
    SyncFileSystem(folders.staging());
    WriteJournal(folders, steps);
    StopPoint("journal-written");
    try {
        if (::mkdir(folders.backup().c_str(), 0700) != 0)
            ThrowErrno<SwapError>("cannot create", folders.backup());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            StopPoint("swap-step");
            MakeStep(folders, steps[i], i);
        }
        SyncFileSystem(folders.module);
        StopPoint("swap-done");
        MarkCommitted(folders);
    } catch (const SwapError&) {
        UndoSteps(folders, steps);
        RemoveWorkingFolders(folders);
        throw;
    }
    StopPoint("committed");
    RemoveWorkingFolders(folders);
}

Recovery RecoverSwap(const WorkingFolders& folders) {
    const std::optional<SwapJournal> journal = ReadJournal(folders);
    Recovery found =
        journal ? (journal->committed ? Recovery::Finished : Recovery::Undone) : Recovery::Nothing;
    if (found == Recovery::Nothing &&
        (EntryExists(folders.staging()) || EntryExists(folders.backup()) ||
         EntryExists(folders.journalDraft())))
        found = Recovery::LeftoversRemoved;
    if (found == Recovery::Nothing)
        return found;
    if (found == Recovery::Undone)
        UndoSteps(folders, journal->steps);
    // Without a journal nothing of the module changed yet: staging and backups are leftovers.
    RemoveWorkingFolders(folders);
    return found;
}

} // namespace quillset
