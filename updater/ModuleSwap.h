#pragma once

#include "updater/SwapJournal.h"
#include "updater/WorkingFolders.h"

#include <vector>

namespace quillset {

// Plans how the staged tree enters the module: a staged entry whose place is free is added; one
// whose place is taken is swapped for it, except that a folder on both sides is entered and its
// entries planned one by one, so files of the module that the archive does not hold stay. Throws
// SwapError when a staged top-level name is one the agent keeps for itself.
std::vector<SwapStep> PlanSwap(const WorkingFolders& folders);

// Makes the planned steps, all or none: the journal is made durable first, every replaced entry
// is kept in the backup folder until the last step is made and flushed, and a failure at any step
// undoes the steps made. Afterwards the backups, the staging folder and the journal are gone.
// Throws SwapError when the module is back as it was (or, when even that failed, left to the
// journal for the next start).
void SwapIn(const WorkingFolders& folders, const std::vector<SwapStep>& steps);

enum class Recovery {
    Nothing,          // no earlier run left anything
    Finished,         // every step had been made: only the clean-up was left to do
    Undone,           // a swap was cut short and is undone
    LeftoversRemoved, // a run ended before its swap began; its staging folder is gone
};

// Run before anything else under the module lock: finishes a swap whose journal says all steps
// were made, undoes one that was cut short, and removes the staging and backup folders. Throws
// SwapError when the journal cannot be read or a step cannot be undone; everything then stays
// for an operator, and no new swap starts over it.
Recovery RecoverSwap(const WorkingFolders& folders);

// The place in the backup folder where step `index` keeps the entry it replaced.
std::filesystem::path BackupOf(const WorkingFolders& folders, std::size_t index);

} // namespace quillset
