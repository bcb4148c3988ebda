#include "unzip32/Destination.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillset::unzip32 {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Opens `name` below `parentFd` as a folder, creating it when missing.
Made<Fd> OpenOrMakeFolder(int parentFd, const std::string& name) {
    Fd folder(openat(parentFd, name.c_str(), kFolderFlags));
    if (!folder && errno == ENOENT) {
        if (mkdirat(parentFd, name.c_str(), 0755) != 0 && errno != EEXIST)
            return {{}, ErrnoProblem(UZ_DISK_ERROR, "cannot create folder " + name)};
        folder = Fd(openat(parentFd, name.c_str(), kFolderFlags));
    }
    if (!folder) {
        // Linux answers ENOTDIR or ELOOP for a link here; only the link is a safety matter.
        const int openError = errno;
        struct stat status {};
        const bool isLink = fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                            S_ISLNK(status.st_mode);
        errno = openError;
        return {{},
                isLink ? Problem{UZ_REFUSED, name + " is a link, not a folder"}
                       : ErrnoProblem(UZ_DISK_ERROR, "cannot open folder " + name)};
    }
    return {std::move(folder), {}};
}

// Short, so that it fits wherever the final name fits; hidden, so a listing does not show it.
std::string NextTemporaryName() {
    static std::atomic<unsigned> counter{0};
    static const std::string prefix = ".uz-" + std::to_string(getpid()) + "-";
    return prefix + std::to_string(counter++);
}

} // namespace

Made<std::optional<Destination>> Destination::openFolder(const std::string& folder) {
    const std::string path = folder.empty() ? std::string(".") : folder;
    Fd root(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root && errno == ENOENT) {
        // The caller chose this folder, so its missing parents are made as a shell's mkdir -p.
        for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
            const std::string prefix = path.substr(0, slash);
            if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST)
                break;
            if (slash == std::string::npos)
                break;
        }
        root = Fd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!root)
        return {std::nullopt, ErrnoProblem(UZ_DISK_ERROR, "cannot open folder " + path)};
    return {Destination(std::move(root)), {}};
}

Made<int> Destination::openParent(const std::vector<std::string>& components) {
    // Keys of the folders on the way: "", "/a", "/a/b"; components never hold a "/".
    const std::size_t depth = components.size() - 1;
    std::vector<std::string> keys(depth + 1);
    for (std::size_t i = 1; i <= depth; ++i)
        keys[i] = keys[i - 1] + '/' + components[i - 1];
    if (openFolders_.size() + depth > kMostOpenFolders)
        openFolders_.clear();
    std::size_t known = depth;
    while (known > 0 && !openFolders_.contains(keys[known]))
        --known;
    int current = known == 0 ? root_.get() : openFolders_[keys[known]].get();
    for (std::size_t i = known; i < depth; ++i) {
        Made<Fd> next = OpenOrMakeFolder(current, components[i]);
        if (next.problem)
            return {-1, std::move(next.problem)};
        current = (openFolders_[keys[i + 1]] = std::move(next.value)).get();
    }
    return {current, {}};
}

Problem Destination::makeFolder(const std::vector<std::string>& components) {
    Made<int> parent = openParent(components);
    if (parent.problem)
        return std::move(parent.problem);
    return OpenOrMakeFolder(parent.value, components.back()).problem;
}

Problem Destination::finishFolder(const std::vector<std::string>& components, mode_t mode,
                                  const std::optional<timespec>& modified) {
    const Made<int> parent = openParent(components);
    if (parent.problem)
        return ErrnoProblem(UZ_WARNING, "cannot restore mode or time");
    Fd folder(openat(parent.value, components.back().c_str(), kFolderFlags));
    if (!folder)
        return ErrnoProblem(UZ_WARNING, "cannot restore mode or time");
    bool ok = fchmod(folder.get(), mode | S_IRWXU) == 0;
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified};
        ok = futimens(folder.get(), times) == 0 && ok;
    }
    if (!ok)
        return ErrnoProblem(UZ_WARNING, "cannot restore mode or time");
    return {};
}

std::optional<struct stat> StatEntry(int parentFd, const std::string& name) {
    struct stat status {};
    if (fstatat(parentFd, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return status;
}

PendingEntry::~PendingEntry() {
    file_.reset();
    if (!committed_ && !temporaryName_.empty())
        unlinkat(parentFd_, temporaryName_.c_str(), 0);
}

Problem PendingEntry::createFile() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName_ = NextTemporaryName();
        file_ = Fd(openat(parentFd_, temporaryName_.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file_)
            return {};
        if (errno != EEXIST)
            break;
    }
    temporaryName_.clear();
    return ErrnoProblem(UZ_DISK_ERROR, "cannot create a file for " + finalName_);
}

Problem PendingEntry::createLink(const std::string& target) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName_ = NextTemporaryName();
        if (symlinkat(target.c_str(), parentFd_, temporaryName_.c_str()) == 0)
            return {};
        if (errno != EEXIST)
            break;
    }
    temporaryName_.clear();
    return ErrnoProblem(UZ_DISK_ERROR, "cannot create the link " + finalName_);
}

Problem PendingEntry::commit() {
    if (file_ && close(file_.release()) != 0)
        return ErrnoProblem(UZ_DISK_ERROR, "cannot write " + finalName_);
    if (renameat(parentFd_, temporaryName_.c_str(), parentFd_, finalName_.c_str()) != 0)
        return ErrnoProblem(UZ_DISK_ERROR, "cannot create " + finalName_);
    committed_ = true;
    return {};
}

} // namespace quillset::unzip32
