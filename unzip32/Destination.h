#pragma once

#include "posix/FileDescriptor.h"
#include "unzip32/Problem.h"

#include <ctime>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unordered_map>
#include <vector>

namespace quillset::unzip32 {

// The extraction folder. Everything is created relative to the folder's descriptor, one
// component at a time by posix's non-throwing file work below a folder: never through a
// symbolic link nor onto another mount, so no entry can reach outside it, whatever links earlier
// entries or other programs left inside.
class Destination {
public:
    // Opens the folder, creating it and its missing parents.
    static Made<std::optional<Destination>> openFolder(const std::string& folder);

    // The folder that holds the last of `components`, missing folders created on the way.
    // A link on the way is refused (UZ_REFUSED); a file in the way is a disk error. The
    // descriptor stays the Destination's and is valid until the next call.
    Made<int> openParent(const std::vector<std::string>& components);

    // Creates the folder named by `components` if missing; fails when something else is there.
    Problem makeFolder(const std::vector<std::string>& components);

    // Gives a folder its mode (the owner keeps full access) and modification time; a warning
    // when it cannot.
    Problem finishFolder(const std::vector<std::string>& components, mode_t mode,
                         const std::optional<timespec>& modified);

private:
    explicit Destination(Fd root) : root_(std::move(root)) {}

    // Archives visit their folders in any order; keeping them open saves walking the path again.
    static constexpr std::size_t kMostOpenFolders = 256;

    Fd root_;
    std::unordered_map<std::string, Fd> openFolders_; // by "/a/b" below the root
};

// A new file or link that takes its final name only when committed; dropped otherwise.
class PendingEntry {
public:
    PendingEntry(int parentFd, std::string finalName) noexcept
        : parentFd_(parentFd), finalName_(std::move(finalName)) {}
    PendingEntry(const PendingEntry&) = delete;
    PendingEntry& operator=(const PendingEntry&) = delete;
    ~PendingEntry();

    // Creates the temporary file, open for writing.
    Problem createFile();
    // Creates the temporary link.
    Problem createLink(const std::string& target);
    int fd() const { return file_.get(); }

    // Closes the file and renames it over the final name.
    Problem commit();

private:
    int parentFd_;
    std::string finalName_;
    std::string temporaryName_;
    Fd file_;
    bool committed_ = false;
};

// Whether the folder's entry `name` exists, and what it is (a link as a link).
std::optional<struct stat> StatEntry(int parentFd, const std::string& name);

} // namespace quillset::unzip32
