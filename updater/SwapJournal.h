#pragma once

#include "updater/WorkingFolders.h"

#include <optional>
#include <string>
#include <vector>

namespace quillset {

// One planned change of the module: `path` (relative to the module folder) is added from the
// staging folder, or replaced, its old entry kept in the backup folder under the step's number.
struct SwapStep {
    enum class Kind { Add, Replace };
    Kind kind = Kind::Add;
    std::string path;

    bool operator==(const SwapStep&) const = default;
};

// What the journal tells: the planned steps, and whether all of them were made.
struct SwapJournal {
    std::vector<SwapStep> steps;
    bool committed = false;
};

// Writes the journal of `steps` and makes it durable before anything of the module changes.
// Throws SwapError.
void WriteJournal(const WorkingFolders& folders, const std::vector<SwapStep>& steps);
// Records durably that every step was made. Throws SwapError.
void MarkCommitted(const WorkingFolders& folders);
// The journal, or nothing when there is none. Throws SwapError when one is there but cannot be
// read or does not hold a well-formed plan, so that nobody acts on a guess.
std::optional<SwapJournal> ReadJournal(const WorkingFolders& folders);

} // namespace quillset
