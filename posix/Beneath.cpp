#include "posix/Beneath.h"

#include "posix/MountPoint.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillset {

namespace {

// Splits a checked relative path into its parts; throws EINVAL for any other shape.
std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> parts;
    std::string::size_type at = 0;
    while (true) {
        const std::string::size_type end = path.find('/', at);
        parts.push_back(path.substr(at, end == std::string::npos ? end : end - at));
        const std::string& part = parts.back();
        if (part.empty() || part == "." || part == "..")
            ThrowSystemError("refused the path", path, EINVAL);
        if (end == std::string::npos)
            return parts;
        at = end + 1;
    }
}

// A folder and a name in it: the parent of `path` opened beneath `folder`, and its last part.
struct Place {
    Fd parent; // empty when the parent is `folder` itself
    int folder;
    std::string name;

    int at() const { return parent ? parent.get() : folder; }
};

Place PlaceOf(int folder, const std::string& path) {
    Parts(path);
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return {Fd(), folder, path};
    return {OpenFolderBeneath(folder, path.substr(0, slash)), folder, path.substr(slash + 1)};
}

// O_NOFOLLOW with O_DIRECTORY meets a link at the end as "not a folder" (ENOTDIR); tell it as
// the link it is, so that callers never take a link for an absent entry.
int LinkAwareError(int folder, const std::string& path, int flags, int error) {
    if (error != ENOTDIR || !(flags & O_DIRECTORY))
        return error;
    try {
        const std::string::size_type slash = path.rfind('/');
        const Fd parent = slash == std::string::npos
                              ? Fd()
                              : OpenBeneath(folder, path.substr(0, slash), O_PATH | O_DIRECTORY);
        struct stat info {};
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        if (::fstatat(parent ? parent.get() : folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) ==
                0 &&
            S_ISLNK(info.st_mode))
            return ELOOP;
    } catch (const SystemError&) {
    }
    return error;
}

// Mount points a removal met and left alone: the first is named when it ends.
class MountsLeft {
public:
    void add(const std::string& path) {
        if (count_++ == 0)
            first_ = path;
    }
    bool any() const { return count_ > 0; }
    void report() const {
        if (count_ > 0)
            throw SystemError(
                "left alone " + first_ +
                    (count_ > 1 ? " and " + std::to_string(count_ - 1) + " more" : std::string()) +
                    ": a mount point, not part of this folder",
                EXDEV);
    }

private:
    std::string first_;
    std::size_t count_ = 0;
};

// Empties and removes the folder `path`, never entering a mount point below it: those stay
// with the folders that hold them.
void RemoveFolderTree(int folder, const std::string& path, MountsLeft& left) {
    // Folders still to empty, deepest last; a folder is removed once its entries are gone.
    struct Pending {
        std::string path;
        bool emptied;
    };
    std::vector<Pending> pending{{path, false}};
    while (!pending.empty()) {
        const Pending next = pending.back();
        if (next.emptied) {
            pending.pop_back();
            try {
                RemoveBeneath(folder, next.path);
            } catch (const SystemError& error) {
                if (!left.any() || (error.error() != ENOTEMPTY && error.error() != EEXIST))
                    throw;
            }
            continue;
        }
        pending.back().emptied = true;
        Fd fd = OpenBeneath(folder, next.path, O_RDONLY | O_DIRECTORY);
        struct stat info {};
        if (::fstat(fd.get(), &info) == 0 && (info.st_mode & 0700) != 0700)
            ::fchmod(fd.get(), (info.st_mode & 07777) | 0700); // else its removal says why
        for (const std::string& name : ListFolder(fd.get(), next.path)) {
            const std::string inner = next.path + "/" + name;
            if (IsMountPoint(fd.get(), name.c_str())) {
                left.add(inner);
            } else if (::fstatat(fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(info.st_mode)) {
                // Opened and emptied next, so it must be readable and writable to us.
                if ((info.st_mode & 0700) != 0700)
                    ::fchmodat(fd.get(), name.c_str(), (info.st_mode & 07777) | 0700, 0);
                pending.push_back({inner, false});
            } else if (::unlinkat(fd.get(), name.c_str(), 0) != 0 && errno != ENOENT) {
                ThrowSystemError("cannot remove", inner);
            }
        }
    }
}

} // namespace

Fd OpenFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        ThrowSystemError("cannot open the folder", path);
    return Fd(fd);
}

Fd OpenBeneath(int folder, const std::string& path, int flags, mode_t mode) {
    Parts(path);
    open_how how{};
    how.flags = static_cast<__u64>(flags | O_NOFOLLOW | O_CLOEXEC);
    how.mode = (flags & O_CREAT) ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
    long fd;
    do
        fd = ::syscall(SYS_openat2, folder, path.c_str(), &how, sizeof how);
    while (fd < 0 && errno == EINTR);
    // A kernel before 5.6 lacks openat2 (ENOSYS); a sandbox's system-call filter may refuse it
    // (EPERM), which it cannot mean for these flags otherwise. The opening part by part then
    // answers, with its own reason should it fail too.
    if (fd < 0 && (errno == ENOSYS || errno == EPERM))
        return OpenByParts(folder, path, flags, mode);
    if (fd < 0)
        ThrowSystemError("cannot open", path, LinkAwareError(folder, path, flags, errno));
    return Fd(static_cast<int>(fd));
}

Fd OpenByParts(int folder, const std::string& path, int flags, mode_t mode) {
    const std::vector<std::string> parts = Parts(path);
    Fd current;
    const auto at = [&] { return current ? current.get() : folder; };
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const int fd =
            ::openat(at(), parts[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            int error = errno;
            // O_DIRECTORY meets a link as "not a folder"; tell it as the link it is.
            struct stat info {};
            if (error == ENOTDIR &&
                ::fstatat(at(), parts[i].c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(info.st_mode))
                error = ELOOP;
            ThrowSystemError("cannot open", path, error);
        }
        Fd part(fd);
        // As RESOLVE_NO_XDEV: no way leads through a mount point.
        if (!OnSameMount(part.get(), at()))
            ThrowSystemError("cannot open", path, EXDEV);
        current = std::move(part);
    }
    int fd;
    do
        fd = ::openat(at(), parts.back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        ThrowSystemError("cannot open", path, LinkAwareError(folder, path, flags, errno));
    Fd opened(fd);
    if (!OnSameMount(opened.get(), at()))
        ThrowSystemError("cannot open", path, EXDEV);
    return opened;
}

Fd OpenFolderBeneath(int folder, const std::string& path) {
    return OpenBeneath(folder, path, O_RDONLY | O_DIRECTORY);
}

Fd OpenFileBeneath(int folder, const std::string& path, int flags, mode_t mode) {
    return KeepRegularFile(OpenBeneath(folder, path, flags | O_NONBLOCK, mode), path, flags);
}

std::optional<struct stat> StatBeneath(int folder, const std::string& path) {
    Place place;
    try {
        place = PlaceOf(folder, path);
    } catch (const SystemError& error) {
        if (error.error() == ENOENT || error.error() == ENOTDIR)
            return std::nullopt;
        throw;
    }
    struct stat info {};
    if (::fstatat(place.at(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return info;
    if (errno == ENOENT || errno == ENOTDIR)
        return std::nullopt;
    ThrowSystemError("cannot examine", path);
}

void RenameBeneath(int fromFolder, const std::string& from, int toFolder, const std::string& to) {
    const Place source = PlaceOf(fromFolder, from);
    const Place target = PlaceOf(toFolder, to);
    if (::renameat(source.at(), source.name.c_str(), target.at(), target.name.c_str()) != 0)
        ThrowSystemError("cannot move to " + to + ":", from);
}

void MakeFolderBeneath(int folder, const std::string& path, mode_t mode) {
    const Place place = PlaceOf(folder, path);
    if (::mkdirat(place.at(), place.name.c_str(), mode) != 0)
        ThrowSystemError("cannot create", path);
}

std::string ReadLinkBeneath(int folder, const std::string& path) {
    const Place place = PlaceOf(folder, path);
    std::string target(PATH_MAX, '\0');
    const ssize_t length =
        ::readlinkat(place.at(), place.name.c_str(), target.data(), target.size());
    if (length < 0)
        ThrowSystemError("cannot read the link", path);
    target.resize(std::size_t(length));
    return target;
}

void RemoveBeneath(int folder, const std::string& path) {
    const Place place = PlaceOf(folder, path);
    if (::unlinkat(place.at(), place.name.c_str(), 0) == 0)
        return;
    if ((errno == EISDIR || errno == EPERM) &&
        ::unlinkat(place.at(), place.name.c_str(), AT_REMOVEDIR) == 0)
        return;
    ThrowSystemError("cannot remove", path);
}

void RemoveTreeBeneath(int folder, const std::string& path) {
    const std::optional<struct stat> top = StatBeneath(folder, path);
    if (!top)
        return;
    MountsLeft left;
    if (const Place place = PlaceOf(folder, path); IsMountPoint(place.at(), place.name.c_str()))
        left.add(path);
    else if (!S_ISDIR(top->st_mode))
        RemoveBeneath(folder, path);
    else
        RemoveFolderTree(folder, path, left);
    left.report();
}

std::vector<std::string> ListFolder(int folder, const std::string& subject) {
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        ThrowSystemError("cannot read the folder", subject);
    DIR* listing = ::fdopendir(copy);
    if (listing == nullptr) {
        const int error = errno;
        ::close(copy);
        ThrowSystemError("cannot read the folder", subject, error);
    }
    // A duplicate shares its position with `folder`: start from the first entry.
    ::rewinddir(listing);
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    const int error = errno;
    ::closedir(listing);
    if (error != 0)
        ThrowSystemError("cannot read the folder", subject, error);
    return names;
}

} // namespace quillset
