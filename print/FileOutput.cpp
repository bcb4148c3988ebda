#include "print/FileOutput.h"

#include "print/PrintSurface.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// As many links as the kernel itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;

} // namespace

fs::path FollowLinks(const fs::path& path) {
    fs::path current = path;
    for (int followed = 0; followed <= kMaxLinks; ++followed) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            return current;
        const fs::path target = fs::read_symlink(current, error);
        if (error)
            ThrowErrno<PrintFailure>("cannot write", current.string(), error.value());
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    ThrowErrno<PrintFailure>("cannot write", path.string(), ELOOP);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FileHandle::~FileHandle() {
    if (fd_ >= 0)
        ::close(fd_);
}

void FileHandle::Close(const std::string& what) {
    const int fd = std::exchange(fd_, -1);
    // Linux closes the descriptor even when close() reports an error: never retry it.
    if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
        ThrowErrno<PrintFailure>("cannot write", what, errno);
}

void WriteAll(const FileHandle& file, const QByteArray& bytes, const std::string& what) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(file.get(), bytes.constData() + written,
                                  static_cast<size_t>(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowErrno<PrintFailure>("cannot write", what, errno);
        // A device that takes nothing and reports no error is as full as a full disk.
        if (n == 0)
            ThrowErrno<PrintFailure>("cannot write", what, ENOSPC);
        written += n;
    }
}

void SyncToDisk(const FileHandle& file, const std::string& what) {
    if (::fsync(file.get()) != 0)
        ThrowErrno<PrintFailure>("cannot write", what, errno);
}

void SyncFolder(const fs::path& folder) {
    FileHandle handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!handle.isOpen())
        ThrowErrno<PrintFailure>("cannot write", folder.string(), errno);
    // Some file systems cannot flush a folder; the rename is then as durable as they make it.
    if (::fsync(handle.get()) != 0 && errno != EINVAL)
        ThrowErrno<PrintFailure>("cannot write", folder.string(), errno);
}

} // namespace quillset
