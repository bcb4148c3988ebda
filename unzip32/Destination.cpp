#include "unzip32/Destination.h"

#include "posix/Beneath.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quillset::unzip32 {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY;

// Opens `name` below `parentFd` as a folder, creating it when missing. Every step is posix's:
// never through a link, never onto another mount.
Made<Fd> OpenOrMakeFolder(int parentFd, const std::string& name) {
    SystemResult<Fd> folder = TryOpenBeneath(parentFd, name, kFolderFlags);
    if (!folder && folder.reason().error() == ENOENT) {
        const SystemResult<> made = TryMakeFolderBeneath(parentFd, name, 0755);
        if (!made && made.reason().error() != EEXIST)
            return {
                {},
                ErrnoProblem(UZ_DISK_ERROR, "cannot create folder " + name, made.reason().error())};
        folder = TryOpenBeneath(parentFd, name, kFolderFlags);
    }
    if (!folder) {
        // Only a link in the way (ELOOP) is a safety matter; anything else is a disk error.
        const int error = folder.reason().error();
        return {{},
                error == ELOOP ? Problem{UZ_REFUSED, name + " is a link, not a folder"}
                               : ErrnoProblem(UZ_DISK_ERROR, "cannot open folder " + name, error)};
    }
    return {*std::move(folder), {}};
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
    // The caller chose this folder, so its missing parents are made as a shell's mkdir -p.
    SystemResult<Fd> root = TryMakeAndOpenFolder(path);
    if (!root)
        return {std::nullopt,
                ErrnoProblem(UZ_DISK_ERROR, "cannot open folder " + path, root.reason().error())};
    return {Destination(*std::move(root)), {}};
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
        return Problem{UZ_WARNING, "cannot restore mode or time: " + parent.problem.text};
    const SystemResult<Fd> folder = TryOpenBeneath(parent.value, components.back(), kFolderFlags);
    if (!folder)
        return ErrnoProblem(UZ_WARNING, "cannot restore mode or time", folder.reason().error());
    bool ok = fchmod(folder->get(), mode | S_IRWXU) == 0;
    if (modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, *modified};
        ok = futimens(folder->get(), times) == 0 && ok;
    }
    if (!ok)
        return ErrnoProblem(UZ_WARNING, "cannot restore mode or time");
    return {};
}

std::optional<struct stat> StatEntry(int parentFd, const std::string& name) {
    // An entry that cannot be examined counts as none: writing it then fails with the reason.
    const SystemResult<std::optional<struct stat>> status = TryStatBeneath(parentFd, name);
    return status ? *status : std::nullopt;
}

PendingEntry::~PendingEntry() {
    file_.reset();
    // A temporary that cannot be removed either is past doing anything about.
    if (!committed_ && !temporaryName_.empty())
        static_cast<void>(TryRemoveBeneath(parentFd_, temporaryName_));
}

Problem PendingEntry::createFile() {
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporaryName_ = NextTemporaryName();
        SystemResult<Fd> file =
            TryOpenBeneath(parentFd_, temporaryName_, O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (file) {
            file_ = *std::move(file);
            return {};
        }
        error = file.reason().error();
    }
    temporaryName_.clear();
    return ErrnoProblem(UZ_DISK_ERROR, "cannot create a file for " + finalName_, error);
}

Problem PendingEntry::createLink(const std::string& target) {
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        temporaryName_ = NextTemporaryName();
        const SystemResult<> link = TryMakeLinkBeneath(parentFd_, temporaryName_, target);
        if (link)
            return {};
        error = link.reason().error();
    }
    temporaryName_.clear();
    return ErrnoProblem(UZ_DISK_ERROR, "cannot create the link " + finalName_, error);
}

Problem PendingEntry::commit() {
    if (const SystemResult<> closed = file_ ? file_.tryClose(finalName_) : SystemResult<>();
        !closed)
        return ErrnoProblem(UZ_DISK_ERROR, "cannot write " + finalName_, closed.reason().error());
    if (const SystemResult<> renamed =
            TryRenameBeneath(parentFd_, temporaryName_, parentFd_, finalName_);
        !renamed)
        return ErrnoProblem(UZ_DISK_ERROR, "cannot create " + finalName_, renamed.reason().error());
    committed_ = true;
    return {};
}

} // namespace quillset::unzip32
