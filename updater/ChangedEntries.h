#pragma once

#include "platform/Result.h"
#include "transfer/ByteRange.h"
#include "zipdir/ZipDirectory.h"
#include "zipdir/ZipRebuild.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillset {

// What a partial fetch takes: the entries of the release that the module lacks or holds
// otherwise, in the archive's order, and the pieces of the archive that hold them, coalesced and
// in file order.
struct EntrySelection {
    std::vector<const zip::DirectoryEntry*> entries;
    std::vector<ByteRange> pieces;
    std::uint64_t bytes = 0; // in the pieces
};

// Whether the installed regular file `fd`, `entry`'s file in the module, holds what the entry
// holds.
using SameContent = std::function<bool(int fd, const zip::DirectoryEntry& entry)>;
// The unsigned test: the directory's size and CRC-32, and its permissions where it gives them.
bool SameSizeAndCrc(int fd, const zip::DirectoryEntry& entry);

// The path below the module folder where the unzip engine puts `entry`: its name split on "/"
// and "\", empty and "." parts dropped (empty for the folder itself, "./"). Nothing for a name
// that is not mapped so plainly: ".."
// or an absolute name, which the engine refuses, or bytes above ASCII without the UTF-8 flag,
// which the archive reader would read in a code page of its choosing.
std::optional<std::string> ModulePathOf(const zip::DirectoryEntry& entry);

// Chooses the entries to fetch: every folder and link, the module's program `program` (in any
// case, as the staged program is found), and each
// file whose installed copy (in the open module folder `module`) is missing or not the same by
// `same`. Each entry's piece runs from its local header to the next entry's; pieces closer than
// a few tens of KiB are fetched as one, and never more than a bounded number. Refuses, and the
// whole archive is fetched instead, where the directory cannot be mapped onto the module (entries
// out of the file or overlapping, names the engine would read otherwise) or where the pieces are
// most of the archive anyway.
Result<EntrySelection, std::string>
SelectChangedEntries(const std::vector<zip::DirectoryEntry>& entries,
                     const zip::DirectoryPlace& place, int module, const std::string& program,
                     const SameContent& same);

// Where each chosen entry's local record lies in a file made of the selection's pieces back to
// back, for the rebuilt directory.
std::vector<zip::MovedEntry> PlacesInPieces(const EntrySelection& selection);

} // namespace quillset
