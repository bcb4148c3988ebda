#pragma once

#include "posix/FileDescriptor.h"
#include "updater/SwapJournal.h"
#include "updater/WorkingFolders.h"

#include <string>
#include <vector>

namespace quillset {

// Plans how the staged tree, the open folder `staging`, enters the module: a staged entry whose
// place is free is added; one whose place is taken is swapped for it, except that a folder on
// both sides is entered and its entries planned one by one, so files of the module that the
// archive does not hold stay. Throws SwapError when a staged top-level name is one the agent
// keeps for itself, or a partial transfer's name of one of `localCopies`.
std::vector<SwapStep> PlanSwap(const WorkingFolders& folders, int staging,
                               const std::vector<std::string>& localCopies);

// Makes the planned steps from the open folder `staging`, all or none, and only while the staging
// folder's name still leads to it: the journal is made durable first, every replaced entry
// is kept in the backup folder until the last step is made and flushed, and a failure at any step
// undoes the steps made. Throws SwapError when the module is back as it was (or, when even that
// failed, left to the journal for the next start). Once it returns, the swap is committed and the
// update stands; ClearSwap follows.
void SwapIn(const WorkingFolders& folders, int staging, const std::vector<SwapStep>& steps);

// After the commit: removes the swap's working folders and its journal. What cannot be removed is
// set aside under a name a later start sweeps, and the journal goes all the same; throws
// SwapError saying what went wrong. When even that fails, the journal stays, committed, and the
// next start finishes the clean-up.
void ClearSwap(const WorkingFolders& folders);

enum class Recovery {
    Nothing,          // no earlier run left anything
    Finished,         // every step had been made: only the clean-up was left to do
    Undone,           // a swap was cut short and is undone
    LeftoversRemoved, // a run ended before its swap began; its staging folder is gone
};

// Run before anything else under the module lock: finishes a swap whose journal says all steps
// were made, undoes one that was cut short, and removes the staging and backup folders. Throws
// SwapError when the journal cannot be trusted or a step cannot be undone; everything then stays
// for an operator, and no new swap starts over it. Nothing is acted on unless every step of the
// journal lies in the module without a link on its way.
Recovery RecoverSwap(const WorkingFolders& folders);

// One of the agent's own folders, `name` at the module's top level: opened only when it is a
// real folder of the agent's user; anything else there is refused (SwapError), never entered.
Fd OpenOwnFolder(const WorkingFolders& folders, const std::string& name);
// Removes the own folder `name` with its tree when it is there; refuses as OpenOwnFolder does.
void RemoveOwnFolder(const WorkingFolders& folders, const std::string& name);

// The place in the backup folder where step `index` keeps the entry it replaced.
std::string BackupOf(std::size_t index);

} // namespace quillset
