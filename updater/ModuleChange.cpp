#include "updater/ModuleChange.h"

#include "platform/FailPoint.h"
#include "posix/Beneath.h"
#include "updater/Durable.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

SystemResult<> ModuleChange::open(const std::filesystem::path& folder) {
    if (isOpen())
        return {};
    SystemResult<Fd> opened = TryOpenFolder(folder.string());
    if (!opened)
        return Refuse(opened.reason());
    folder_ = *std::move(opened);
    // Named without a trailing separator, so a file's folder compares equal to it.
    folders_ = {folder.has_filename() ? folder : folder.parent_path(), folder_.get()};
    return {};
}

ModuleChange::Claim ModuleChange::tryClaim(const std::filesystem::path& folder) {
    if (held())
        return Claim::Held;
    if (!open(folder))
        return Claim::NoFolder; // why was told when the command line was read
    int result;
    do
        result = ::flock(folder_.get(), LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0)
        return Claim::Busy;
    locked_ = true;
    return Claim::Held;
}

void ModuleChange::release() {
    if (locked_)
        ::flock(folder_.get(), LOCK_UN);
    locked_ = false;
}

bool ModuleChange::stillAt(const std::filesystem::path& folder) const {
    return !isOpen() || LeadsTo(folder.string(), folder_.get());
}

ModuleChange::Sweep ModuleChange::sweepLeftovers(const std::vector<std::string>& localCopies) {
    Sweep sweep;
    std::vector<std::string> names;
    try {
        names = ListFolder(folders_.handle, folders_.module.string());
    } catch (const SystemError&) {
        return sweep; // an unreadable folder: the transfers and the swap meet it and tell
    }
    for (const std::string& name : names) {
        try {
            if (name.starts_with(kSetAsidePrefix)) {
                RemoveOwnFolder(folders_, name);
                ++sweep.removed;
            } else if (IsPartialTransfer(name, localCopies)) {
                const std::optional<struct stat> info = StatBeneath(folders_.handle, name);
                if (info && (S_ISREG(info->st_mode) || S_ISLNK(info->st_mode))) {
                    RemoveBeneath(folders_.handle, name);
                    ++sweep.removed;
                }
            }
        } catch (const Failure& failure) {
            // Left for the next start; the sweep does what it can.
            if (sweep.stuck++ == 0)
                sweep.firstProblem = failure.what();
        }
    }
    return sweep;
}

Fd ModuleChange::makeStaging() {
    RemoveOwnFolder(folders_, kStagingName);
    AsSwap([&] { MakeFolderBeneath(folders_.handle, kStagingName, 0700); });
    return OpenOwnFolder(folders_, kStagingName);
}

void ModuleChange::discardStaging() {
    RemoveOwnFolder(folders_, kStagingName);
}

bool ModuleChange::unfinished() const {
    return AsSwap([&] { return StatBeneath(folders_.handle, kJournalName).has_value(); });
}

SystemResult<Fd> ModuleChange::openFile(const std::string& name) const {
    return TryOpenFileBeneath(folders_.handle, name);
}

SystemResult<> ModuleChange::removeFile(const std::string& name) {
    if (!hasFile(name))
        return {};
    return TryRemoveBeneath(folders_.handle, name);
}

SystemResult<Fd> ModuleChange::privateFile() const {
    if (FailPoint("private-copy"))
        return SystemRefusal("cannot make an unnamed file in", folders_.module.string());
    return TryOpenUnnamedFile(folders_.handle, folders_.module.string());
}

Fd ModuleChange::privateCopy(const std::string& name) const {
    Fd original = OrThrow(openFile(name));
    SystemResult<Fd> copy = privateFile();
    if (!copy) {
        const int error = copy.reason().error();
        struct stat info {};
        if ((error == EOPNOTSUPP || error == EISDIR) && ::fstat(original.get(), &info) == 0 &&
            info.st_uid == ::geteuid() && (info.st_mode & 022) == 0)
            return original;
        ThrowSystemError("cannot make a private copy of", name, error);
    }
    CopyRest(original.get(), copy->get(), name, FailPoint("copy-range") ? errno : 0);
    return *std::move(copy);
}

} // namespace quillset
