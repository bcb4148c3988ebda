#pragma once

#include <filesystem>
#include <string>

namespace quillset {

// The agent's own places inside the module folder, under hidden names that no archive entry can
// reach: the unpack writes only below the staging folder, and the swap refuses staged names that
// collide with these.
struct WorkingFolders {
    std::filesystem::path module;

    std::filesystem::path staging() const { return module / ".tlupdater-staging"; }
    std::filesystem::path backup() const { return module / ".tlupdater-backup"; }
    std::filesystem::path journal() const { return module / ".tlupdater-journal"; }
    std::filesystem::path journalDraft() const { return module / ".tlupdater-journal.new"; }
};

// True for the names the agent keeps for itself, in any case: everything that starts with
// ".tlupdater", so a file system or an archive tool that folds case cannot reach them either.
bool IsReservedName(const std::string& name);

} // namespace quillset
