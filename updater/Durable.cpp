#include "updater/Durable.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

int OpenForSync(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno<SwapError>("cannot open", path);
    return fd;
}

} // namespace

void SyncPath(const fs::path& path) {
    const int fd = OpenForSync(path);
    const int result = ::fsync(fd);
    ::close(fd);
    if (result != 0)
        ThrowErrno<SwapError>("cannot flush", path);
}

void SyncFileSystem(const fs::path& path) {
    const int fd = OpenForSync(path);
    const int result = ::syncfs(fd);
    ::close(fd);
    if (result != 0)
        ThrowErrno<SwapError>("cannot flush the file system of", path);
}

void RenameEntry(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        ThrowErrno<SwapError>("cannot move to " + to.string() + ":", from);
}

bool EntryExists(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace quillset
