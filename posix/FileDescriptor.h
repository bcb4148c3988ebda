#pragma once

#include "platform/Failure.h"

#include <cstddef>
#include <fcntl.h>
#include <string>
#include <string_view>

namespace quillset {

// A system call that failed; the text says what and why, and error() is its errno, for callers
// that act on one reason ("not there") and let the others through.
class SystemError : public Failure {
public:
    SystemError(const std::string& text, int error) : Failure(text), error_(error) {}
    int error() const { return error_; }

private:
    int error_;
};

// Throws SystemError "WHAT SUBJECT: <reason>".
[[noreturn]] void ThrowSystemError(const std::string& what, const std::string& subject,
                                   int error = errno);

// Owns one open file descriptor and closes it once.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    // A path that leads to this open file or folder whatever is renamed meanwhile
    // (/proc/self/fd/N), for code that takes paths; good while the descriptor stays open.
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }
    explicit operator bool() const { return fd_ >= 0; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void reset(int fd = -1);
    // Closes now and reports what the kernel says, which on some file systems is the first word
    // of a failed write. Throws SystemError naming `subject`; the descriptor is gone either way.
    void close(const std::string& subject);

private:
    int fd_ = -1;
};

// Opens the regular file at `path` (a link followed: the caller named it) without ever blocking,
// so a FIFO or a device at the name answers at once, and refuses anything but a regular file
// (EINVAL). The descriptor then blocks as usual.
Fd OpenRegularFile(const std::string& path, int flags = O_RDONLY);
// The same check on a descriptor just opened with O_NONBLOCK; `flags` are those it was asked
// for, so it blocks again unless they hold O_NONBLOCK.
Fd KeepRegularFile(Fd fd, const std::string& path, int flags);

// Writes all `size` bytes, through interrupted and short writes. `subject` names the file in
// the error.
void WriteAll(int fd, const void* data, std::size_t size, const std::string& subject);
inline void WriteAll(int fd, std::string_view bytes, const std::string& subject) {
    WriteAll(fd, bytes.data(), bytes.size(), subject);
}

// Flushes a file's data, or a folder's entries, to disk. A file system that cannot flush
// (EINVAL) keeps nothing in a cache to flush either, so that counts as done.
void Flush(int fd, const std::string& subject);

} // namespace quillset
