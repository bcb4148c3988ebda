#include "posix/FileDescriptor.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset {

Refusal<SystemError> SystemRefusal(const std::string& what, const std::string& subject, int error) {
    return Refuse(SystemError(what + " " + subject + ": " + std::strerror(error), error));
}

void ThrowSystemError(const std::string& what, const std::string& subject, int error) {
    throw SystemRefusal(what, subject, error).reason;
}

void Fd::reset(int fd) {
    if (fd_ >= 0)
        ::close(fd_); // after close, the descriptor is gone whatever it answers (EINTR included)
    fd_ = fd;
}

SystemResult<> Fd::tryClose(const std::string& subject) {
    const int fd = release();
    // Linux closes the descriptor even when close() reports an error: never retry it.
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        return SystemRefusal("cannot close", subject);
    return {};
}

SystemResult<Fd> TryOpenRegularFile(const std::string& path, int flags) {
    int fd;
    do
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return SystemRefusal("cannot open", path);
    return TryKeepRegularFile(Fd(fd), path, flags);
}

SystemResult<Fd> TryKeepRegularFile(Fd fd, const std::string& path, int flags) {
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return SystemRefusal("cannot examine", path);
    if (!S_ISREG(info.st_mode))
        return Refuse(SystemError("refused " + path + ": not a regular file", EINVAL));
    const int status = ::fcntl(fd.get(), F_GETFL);
    if (!(flags & O_NONBLOCK) &&
        (status < 0 || ::fcntl(fd.get(), F_SETFL, status & ~O_NONBLOCK) != 0))
        return SystemRefusal("cannot set up", path);
    return fd;
}

SystemResult<> TryWriteAll(int fd, const void* data, std::size_t size, const std::string& subject) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return SystemRefusal("cannot write", subject);
        if (written == 0)
            return SystemRefusal("cannot write", subject, EIO);
        at += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

void Flush(int fd, const std::string& subject) {
    if (::fsync(fd) != 0 && errno != EINVAL)
        ThrowSystemError("cannot flush", subject);
}

namespace {

// Where the kernel cannot copy between two files, so a buffer must: another file system
// (EXDEV), a file system without the call (EINVAL, EOPNOTSUPP), a kernel without it (ENOSYS),
// or a sandbox's system-call filter that does not know it (EPERM: older container profiles; a
// real refusal shows again in the reads and writes that follow).
bool KernelCannotCopy(int error) {
    return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP ||
           error == EPERM;
}

} // namespace

void CopyRest(int from, int to, const std::string& subject, int kernelAnswer) {
    while (kernelAnswer == 0) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return;
        if (copied < 0 && errno != EINTR)
            kernelAnswer = errno;
    }
    if (!KernelCannotCopy(kernelAnswer))
        ThrowSystemError("cannot copy", subject, kernelAnswer);
    char buffer[1 << 16];
    for (ssize_t got; (got = ::read(from, buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowSystemError("cannot read", subject);
        WriteAll(to, buffer, static_cast<std::size_t>(got), subject);
    }
}

} // namespace quillset
