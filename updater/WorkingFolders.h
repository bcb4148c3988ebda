#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillset {

// Every temporary the agent makes in a module folder, all at the folder's top level under names
// no archive entry can reach (the swap refuses staged names that collide with these):
//   .tlupdater-staging/       the unpacked archive; the engine writes only in here, so its own
//                             temporaries (".uz-PID-N") go with the folder
//   .tlupdater-backup/        the entries the swap replaced, until it is committed
//   .tlupdater-journal        the swap's plan, and its draft .tlupdater-journal.new
//   .tlupdater-old-N/         a backup whose removal failed after a commit, removed next run
//   NAME.VER/ZIP/SIG.part-XXXXXX  a transfer cut short (the transfer's own partial file)
// The recovery and the leftover sweep look for exactly these, and nowhere below the top level.
inline constexpr char kStagingName[] = ".tlupdater-staging";
inline constexpr char kBackupName[] = ".tlupdater-backup";
inline constexpr char kJournalName[] = ".tlupdater-journal";
inline constexpr char kJournalDraftName[] = ".tlupdater-journal.new";
inline constexpr char kSetAsidePrefix[] = ".tlupdater-old-";
inline constexpr char kPartialTransferInfix[] = ".part-";

// The module folder, opened once: everything the agent does below it goes through `handle`
// without following links. `module` names it in messages and for the engine.
struct WorkingFolders {
    std::filesystem::path module;
    int handle = -1;

    std::filesystem::path shown(const std::string& name) const { return module / name; }
};

// True for the names the agent keeps for itself, in any case: everything that starts with
// ".tlupdater", so a file system or an archive tool that folds case cannot reach them either.
bool IsReservedName(const std::string& name);
// A transfer's partial file of one of the local copies: "EDITOR.ZIP.part-" and six characters.
bool IsPartialTransfer(const std::string& name, const std::vector<std::string>& localCopies);

} // namespace quillset
