#include "updater/ModuleLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillset {

ModuleLock::~ModuleLock() {
    if (fd_ >= 0)
        ::close(fd_);
}

ModuleLock::Outcome ModuleLock::TryLock(const std::filesystem::path& folder) {
    if (held())
        return Outcome::Held;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Outcome::NoFolder;
    int result;
    do
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return Outcome::Busy;
    }
    fd_ = fd;
    return Outcome::Held;
}

} // namespace quillset
