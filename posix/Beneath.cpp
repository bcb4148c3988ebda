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

// A path's parts between its slashes.
std::vector<std::string> Parts(const std::string& path) {
    std::vector<std::string> parts;
    for (std::string::size_type at = 0, end = 0; end != std::string::npos; at = end + 1) {
        end = path.find('/', at);
        parts.push_back(path.substr(at, end == std::string::npos ? end : end - at));
    }
    return parts;
}

// Nothing wrong with the path's shape: its parts are plain names.
SystemResult<> CheckShape(const std::string& path) {
    for (const std::string& part : Parts(path))
        if (part.empty() || part == "." || part == "..")
            return SystemRefusal("refused the path", path, EINVAL);
    return {};
}

bool IsLinkAt(int folder, const std::string& name) {
    struct stat info {};
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(info.st_mode);
}

// A folder and a name in it: the parent of `path` opened beneath `folder`, and its last part.
struct Place {
    Fd parent; // empty when the parent is `folder` itself
    int folder;
    std::string name;

    int at() const { return parent ? parent.get() : folder; }
};

SystemResult<Place> PlaceOf(int folder, const std::string& path, int parentFlags) {
    if (SystemResult<> shape = CheckShape(path); !shape)
        return Refuse(shape.reason());
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return Place{Fd(), folder, path};
    SystemResult<Fd> parent = TryOpenBeneath(folder, path.substr(0, slash), parentFlags);
    if (!parent)
        return Refuse(parent.reason());
    return Place{*std::move(parent), folder, path.substr(slash + 1)};
}

SystemResult<Place> PlaceOf(int folder, const std::string& path) {
    return PlaceOf(folder, path, O_RDONLY | O_DIRECTORY);
}

// O_NOFOLLOW with O_DIRECTORY meets a link at the end as "not a folder" (ENOTDIR); tell it as
// the link it is, so that callers never take a link for an absent entry or a file in the way.
int LinkAwareError(int folder, const std::string& path, int flags, int error) {
    if (error != ENOTDIR || !(flags & O_DIRECTORY))
        return error;
    const SystemResult<Place> place = PlaceOf(folder, path, O_PATH | O_DIRECTORY);
    return place && IsLinkAt(place->at(), place->name) ? ELOOP : error;
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
            const SystemResult<> removed = TryRemoveBeneath(folder, next.path);
            const int error = removed ? 0 : removed.reason().error();
            if (error != 0 && (!left.any() || (error != ENOTEMPTY && error != EEXIST)))
                throw removed.reason();
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

SystemResult<Fd> TryOpenFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return SystemRefusal("cannot open the folder", path);
    return Fd(fd);
}

SystemResult<Fd> TryMakeAndOpenFolder(const std::string& path) {
    SystemResult<Fd> folder = TryOpenFolder(path);
    if (folder || folder.reason().error() != ENOENT)
        return folder;
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        if (::mkdir(path.substr(0, slash).c_str(), 0755) != 0 && errno != EEXIST)
            break; // the opening says why
        if (slash == std::string::npos)
            break;
    }
    return TryOpenFolder(path);
}

bool LeadsTo(const std::string& path, int fd) {
    struct stat named {};
    struct stat opened {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &opened) == 0 &&
           named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

SystemResult<Fd> TryOpenBeneath(int folder, const std::string& path, int flags, mode_t mode) {
    if (SystemResult<> shape = CheckShape(path); !shape)
        return Refuse(shape.reason());
    open_how how{};
    how.flags = static_cast<__u64>(flags | O_NOFOLLOW | O_CLOEXEC);
    how.mode = (flags & O_CREAT) ? mode : 0;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV;
    long fd;
    do
        fd = ::syscall(SYS_openat2, folder, path.c_str(), &how, sizeof how);
    while (fd < 0 && errno == EINTR);
    const int error = errno;
    // A kernel before 5.6 lacks openat2 (ENOSYS); a sandbox's system-call filter may refuse it
    // (EPERM), which it cannot mean for these flags otherwise. The opening part by part then
    // answers, with its own reason should it fail too.
    if (fd < 0 && (error == ENOSYS || error == EPERM))
        return TryOpenByParts(folder, path, flags, mode);
    if (fd < 0)
        return SystemRefusal("cannot open", path, LinkAwareError(folder, path, flags, error));
    return Fd(static_cast<int>(fd));
}

SystemResult<Fd> TryOpenByParts(int folder, const std::string& path, int flags, mode_t mode) {
    if (SystemResult<> shape = CheckShape(path); !shape)
        return Refuse(shape.reason());
    const std::vector<std::string> parts = Parts(path);
    Fd current;
    const auto at = [&] { return current ? current.get() : folder; };
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        Fd part(::openat(at(), parts[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!part) {
            const int error = errno;
            // O_DIRECTORY meets a link as "not a folder"; tell it as the link it is.
            return SystemRefusal("cannot open", path,
                                 error == ENOTDIR && IsLinkAt(at(), parts[i]) ? ELOOP : error);
        }
        // As RESOLVE_NO_XDEV: no way leads through a mount point.
        if (!OnSameMount(part.get(), at()))
            return SystemRefusal("cannot open", path, EXDEV);
        current = std::move(part);
    }
    int fd;
    do
        fd = ::openat(at(), parts.back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int error = errno;
        return SystemRefusal("cannot open", path, LinkAwareError(folder, path, flags, error));
    }
    Fd opened(fd);
    if (!OnSameMount(opened.get(), at()))
        return SystemRefusal("cannot open", path, EXDEV);
    return opened;
}

SystemResult<Fd> TryOpenFileBeneath(int folder, const std::string& path, int flags, mode_t mode) {
    SystemResult<Fd> opened = TryOpenBeneath(folder, path, flags | O_NONBLOCK, mode);
    if (!opened)
        return opened;
    return TryKeepRegularFile(*std::move(opened), path, flags);
}

SystemResult<Fd> TryOpenUnnamedFile(int folder, const std::string& subject) {
    const int fd = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0)
        return SystemRefusal("cannot make an unnamed file in", subject);
    return Fd(fd);
}

SystemResult<std::optional<struct stat>> TryStatBeneath(int folder, const std::string& path) {
    using Found = std::optional<struct stat>;
    const SystemResult<Place> place = PlaceOf(folder, path);
    if (!place) {
        const int error = place.reason().error();
        if (error == ENOENT || error == ENOTDIR)
            return Found();
        return Refuse(place.reason());
    }
    struct stat info {};
    if (::fstatat(place->at(), place->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return Found(info);
    if (errno == ENOENT || errno == ENOTDIR)
        return Found();
    return SystemRefusal("cannot examine", path);
}

SystemResult<> TryRenameBeneath(int fromFolder, const std::string& from, int toFolder,
                                const std::string& to) {
    const SystemResult<Place> source = PlaceOf(fromFolder, from);
    if (!source)
        return Refuse(source.reason());
    const SystemResult<Place> target = PlaceOf(toFolder, to);
    if (!target)
        return Refuse(target.reason());
    if (::renameat(source->at(), source->name.c_str(), target->at(), target->name.c_str()) != 0)
        return SystemRefusal("cannot move to " + to + ":", from);
    return {};
}

SystemResult<> TryMakeFolderBeneath(int folder, const std::string& path, mode_t mode) {
    const SystemResult<Place> place = PlaceOf(folder, path);
    if (!place)
        return Refuse(place.reason());
    if (::mkdirat(place->at(), place->name.c_str(), mode) != 0)
        return SystemRefusal("cannot create", path);
    return {};
}

SystemResult<> TryMakeLinkBeneath(int folder, const std::string& path, const std::string& target) {
    const SystemResult<Place> place = PlaceOf(folder, path);
    if (!place)
        return Refuse(place.reason());
    if (::symlinkat(target.c_str(), place->at(), place->name.c_str()) != 0)
        return SystemRefusal("cannot create the link", path);
    return {};
}

std::string ReadLinkBeneath(int folder, const std::string& path) {
    const Place place = OrThrow(PlaceOf(folder, path));
    std::string target(PATH_MAX, '\0');
    const ssize_t length =
        ::readlinkat(place.at(), place.name.c_str(), target.data(), target.size());
    if (length < 0)
        ThrowSystemError("cannot read the link", path);
    target.resize(std::size_t(length));
    return target;
}

SystemResult<> TryChangeModeBeneath(int folder, const std::string& path, mode_t mode) {
    const SystemResult<Place> place = PlaceOf(folder, path);
    if (!place)
        return Refuse(place.reason());
    if (::fchmodat(place->at(), place->name.c_str(), mode, AT_SYMLINK_NOFOLLOW) != 0)
        return SystemRefusal("cannot change the mode of", path);
    return {};
}

SystemResult<> TryRemoveBeneath(int folder, const std::string& path) {
    const SystemResult<Place> place = PlaceOf(folder, path);
    if (!place)
        return Refuse(place.reason());
    if (::unlinkat(place->at(), place->name.c_str(), 0) == 0)
        return {};
    if ((errno == EISDIR || errno == EPERM) &&
        ::unlinkat(place->at(), place->name.c_str(), AT_REMOVEDIR) == 0)
        return {};
    return SystemRefusal("cannot remove", path);
}

void RemoveTreeBeneath(int folder, const std::string& path) {
    const std::optional<struct stat> top = StatBeneath(folder, path);
    if (!top)
        return;
    MountsLeft left;
    if (const Place place = OrThrow(PlaceOf(folder, path));
        IsMountPoint(place.at(), place.name.c_str()))
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
