#pragma once

#include "posix/FileDescriptor.h"
#include "updater/ModuleSwap.h"
#include "updater/WorkingFolders.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillset {

// The module's change, over one handle of the module folder: the lock, the recovery of an
// earlier run, the staging folder, the swap, the leftovers and the local copies. The folder is
// opened once, following a link given as the folder itself; everything below it is reached
// through the handle without following links.
class ModuleChange {
public:
    enum class Claim { Held, Busy, NoFolder };

    // Opens the module folder, or says why it cannot. Everything else needs it open.
    SystemResult<> open(const std::filesystem::path& folder);
    bool isOpen() const { return static_cast<bool>(folder_); }
    // Opens the module folder when not yet open and takes its lock without waiting; Busy while
    // another agent holds it. The lock is an exclusive flock on the folder, which the kernel lets
    // go when the process ends, however it ends; programs the agent starts do not inherit it.
    Claim tryClaim(const std::filesystem::path& folder);
    // Lets the lock go: the module is whole and the agent's files are gone. The handle stays, so
    // that what follows can tell whether the folder's name still leads to it.
    void release();
    // True while `folder` (a link followed) is the folder this change opened, or none is open.
    bool stillAt(const std::filesystem::path& folder) const;
    bool held() const { return locked_; }
    const WorkingFolders& folders() const { return folders_; }
    // A path that leads to the open module folder whatever is renamed meanwhile
    // (/proc/self/fd/N), for code that takes paths.
    std::filesystem::path throughHandle() const { return folder_.path(); }

    Recovery recover() { return RecoverSwap(folders_); }
    // What a sweep of the leftovers did: how many it removed, how many stay and why the first
    // of those stays.
    struct Sweep {
        int removed = 0;
        int stuck = 0;
        std::string firstProblem;
    };
    // Removes partial transfers of `localCopies` and backups set aside after a commit, at the
    // module's top level only.
    Sweep sweepLeftovers(const std::vector<std::string>& localCopies);

    // A fresh, empty staging folder of the agent's (mode 0700), open. Throws SwapError.
    Fd makeStaging();
    // Removes the staging folder after a failure before the swap.
    void discardStaging();
    std::vector<SwapStep> plan(const Fd& staging,
                               const std::vector<std::string>& localCopies) const {
        return PlanSwap(folders_, staging.get(), localCopies);
    }
    void swapIn(const Fd& staging, const std::vector<SwapStep>& steps) {
        SwapIn(folders_, staging.get(), steps);
    }
    void clearSwap() { ClearSwap(folders_); }
    bool unfinished() const;

    // Local copies, plain files at the top level: tested and opened without ever blocking, and
    // only when they are regular files.
    bool hasFile(const std::string& name) const { return bool(openFile(name)); }
    SystemResult<Fd> openFile(const std::string& name) const;
    // Removes `name` when present, or says why it stays.
    SystemResult<> removeFile(const std::string& name);
    // A copy of the local file `name` that no other process can reach: an unnamed file in the
    // module's file system. What is checked in it is what is unpacked from it, whatever happens
    // to `name` meanwhile. Where the file system has no unnamed files, the file itself when it is
    // the agent's and no one else may write it. Throws SystemError.
    Fd privateCopy(const std::string& name) const;
    // A new, empty unnamed file in the module's file system, which no other process can reach;
    // or why not, as where the file system has none.
    SystemResult<Fd> privateFile() const;

private:
    Fd folder_;
    WorkingFolders folders_;
    bool locked_ = false;
};

} // namespace quillset
