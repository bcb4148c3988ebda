#include "updater/ModuleChange.h"

#include "platform/FailPoint.h"
#include "posix/Beneath.h"
#include "updater/Durable.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

bool ModuleChange::open(const std::filesystem::path& folder) {
    if (isOpen())
        return true;
    try {
        folder_ = OpenFolder(folder.string());
    } catch (const SystemError&) {
        return false;
    }
    // Named without a trailing separator, so a file's folder compares equal to it.
    folders_ = {folder.has_filename() ? folder : folder.parent_path(), folder_.get()};
    return true;
}

ModuleChange::Claim ModuleChange::tryClaim(const std::filesystem::path& folder) {
    if (held())
        return Claim::Held;
    if (!open(folder))
        return Claim::NoFolder;
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
    if (!isOpen())
        return true;
    struct stat named {};
    struct stat opened {};
    return ::stat(folder.c_str(), &named) == 0 && ::fstat(folder_.get(), &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
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

bool ModuleChange::hasFile(const std::string& name) const {
    try {
        openFile(name);
        return true;
    } catch (const SystemError&) {
        return false;
    }
}

Fd ModuleChange::openFile(const std::string& name) const {
    return OpenFileBeneath(folders_.handle, name);
}

void ModuleChange::removeFile(const std::string& name) {
    if (hasFile(name))
        RemoveBeneath(folders_.handle, name);
}

Fd ModuleChange::privateFile() const {
    const int unnamed = FailPoint("private-copy")
                            ? -1
                            : ::openat(folders_.handle, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (unnamed < 0)
        ThrowSystemError("cannot make an unnamed file in", folders_.module.string());
    return Fd(unnamed);
}

Fd ModuleChange::privateCopy(const std::string& name) const {
    Fd original = openFile(name);
    Fd copy;
    try {
        copy = privateFile();
    } catch (const SystemError& error) {
        struct stat info {};
        if ((error.error() == EOPNOTSUPP || error.error() == EISDIR) &&
            ::fstat(original.get(), &info) == 0 && info.st_uid == ::geteuid() &&
            (info.st_mode & 022) == 0)
            return original;
        ThrowSystemError("cannot make a private copy of", name, error.error());
    }
    while (true) {
        const ssize_t copied =
            FailPoint("copy-range")
                ? -1
                : ::copy_file_range(original.get(), nullptr, copy.get(), nullptr, 1 << 30, 0);
        if (copied == 0)
            break;
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        // EPERM: a sandbox's system-call filter that does not know the call (older container
        // profiles); a real refusal shows again in the reads and writes that follow.
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
            errno != EPERM)
            ThrowSystemError("cannot copy", name);
        // No copy in the kernel here: through a buffer.
        char buffer[1 << 16];
        for (ssize_t got; (got = ::read(original.get(), buffer, sizeof buffer)) != 0;) {
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                ThrowSystemError("cannot read", name);
            WriteAll(copy.get(), buffer, static_cast<std::size_t>(got), name);
        }
        break;
    }
    return copy;
}

} // namespace quillset
