#pragma once

#include <QByteArray>
#include <filesystem>
#include <string>
#include <utility>

namespace quillset {

// The file a path names once its symbolic links are followed: the links stay, the page goes to
// what they point at. Throws PrintFailure on a loop of links.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// An open file descriptor that closes itself. Close() reports what the kernel says on closing,
// which on some file systems is the first word of a failed write.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    FileHandle(FileHandle&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    ~FileHandle();

    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Throws PrintFailure naming `what` when closing fails.
    void Close(const std::string& what);

private:
    int fd_ = -1;
};

// Writes every byte, going on after short writes and interruptions. Throws PrintFailure naming
// `what` with the system's reason (no space left, file too large, broken pipe...).
void WriteAll(const FileHandle& file, const QByteArray& bytes, const std::string& what);

// Flushes a file, or a folder's entries, to the disk. Throws PrintFailure naming `what`.
void SyncToDisk(const FileHandle& file, const std::string& what);
void SyncFolder(const std::filesystem::path& folder);

} // namespace quillset
