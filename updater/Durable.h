#pragma once

#include "platform/Failure.h"

#include <filesystem>

namespace quillset {

// A change of the module folder that could not be made; the text names the file and the reason.
class SwapError : public Failure {
public:
    using Failure::Failure;
};

// Flushes one file's or one folder's own entries to disk; a folder after renames in it.
void SyncPath(const std::filesystem::path& path);
// Flushes everything written to the file system that holds `path`: one call for a whole tree.
void SyncFileSystem(const std::filesystem::path& path);
// Renames within one file system, atomically; throws SwapError.
void RenameEntry(const std::filesystem::path& from, const std::filesystem::path& to);
// True when something, a dangling link included, is at `path`.
bool EntryExists(const std::filesystem::path& path);

} // namespace quillset
