#pragma once

#include "posix/FileDescriptor.h"

#include <QByteArray>
#include <filesystem>
#include <string>

namespace quillset {

// The file a path names once its symbolic links are followed: the links stay, the page goes to
// what they point at. Throws PrintFailure on a loop of links.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// The print job's file work on the exact file layer. Each throws PrintFailure "cannot write
// WHAT: <the system's reason>" (no space left, file too large, broken pipe...).
void WriteAll(const Fd& file, const QByteArray& bytes, const std::string& what);
// Flushes a file, or a folder's entries, to the disk.
void SyncToDisk(const Fd& file, const std::string& what);
void SyncFolder(const std::filesystem::path& folder);
// Closes the file, reporting what the kernel says on closing.
void CloseFile(Fd& file, const std::string& what);

} // namespace quillset
