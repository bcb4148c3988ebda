#include "posix/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

void ThrowSystemError(const std::string& what, const std::string& subject, int error) {
    throw SystemError(what + " " + subject + ": " + std::strerror(error), error);
}

void Fd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_); // after close, the descriptor is gone whatever it answers (EINTR included)
    fd_ = fd;
}

void Fd::close(const std::string& subject) {
    const int fd = release();
    // Linux closes the descriptor even when close() reports an error: never retry it.
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        ThrowSystemError("cannot close", subject);
}

Fd OpenRegularFile(const std::string& path, int flags) {
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        ThrowSystemError("cannot open", path);
    return KeepRegularFile(Fd(fd), path, flags);
}

Fd KeepRegularFile(Fd fd, const std::string& path, int flags) {
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        ThrowSystemError("cannot examine", path);
    if (!S_ISREG(info.st_mode))
        throw SystemError("refused " + path + ": not a regular file", EINVAL);
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (!(flags & O_NONBLOCK) &&
        (status < 0 || ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) != 0))
        ThrowSystemError("cannot set up", path);
    return fd;
}

void WriteAll(int fd, const void* data, std::size_t size, const std::string& subject) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            ThrowSystemError("cannot write", subject);
        if (written == 0)
            ThrowSystemError("cannot write", subject, EIO);
        at += written;
        size -= static_cast<std::size_t>(written);
    }
}

void Flush(int fd, const std::string& subject) {
    if (::fsync(fd) != 0 && errno != EINVAL)
        ThrowSystemError("cannot flush", subject);
}

} // namespace quillset
