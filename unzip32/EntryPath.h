#pragma once

#include "unzip32/Problem.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillset::unzip32 {

// The components of an entry name below the extraction folder.
struct EntryPath {
    std::vector<std::string> components;
};

// Bounds on an entry name, far above what a real module holds (the host's own path limit is
// 4096 bytes). Each folder level costs the unpack work and memory, so a name that nests without
// end must be refused before anything is made of it.
inline constexpr std::size_t kLongestEntryName = 4096;
inline constexpr std::size_t kDeepestEntryName = 128;

// Splits an archive entry name on "/" and "\" (archives made on Windows use both). Names that are
// absolute, carry a drive letter, or hold a ".." component are refused; "." and empty components
// are dropped, so "./" has no components at all: it names the extraction folder itself. Names
// longer or deeper than the bounds above are refused too.
// `flatten` keeps only the last component, `spacesToUnderscores` replaces spaces. A refused
// name answers a UZ_REFUSED problem.
Made<EntryPath> MakeEntryPath(std::string_view name, bool flatten, bool spacesToUnderscores);

// True when a symbolic link at `linkComponents` (relative to the extraction folder) with this
// target stays inside the folder: the target is relative and its ".." components come only at
// its start and climb no higher than the folder. Keeping ".." at the start means no link can
// climb out through another link, whatever the other links point at.
bool LinkTargetStaysInside(const std::vector<std::string>& linkComponents, std::string_view target);

} // namespace quillset::unzip32
