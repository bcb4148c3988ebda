#pragma once

#include "platform/Result.h"
#include "zipdir/ZipDirectory.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillset::zip {

// An entry of an archive rebuilt from some entries of another: its record in the original
// directory, and where its local record now lies in the rebuilt file.
struct MovedEntry {
    const DirectoryEntry* entry;
    std::uint64_t offset;
};

// The directory of the rebuilt archive, the records of `directory` (the original directory's
// bytes) with their offsets moved, followed by the end records (ZIP64 where the count or a place
// needs it): the bytes to write at `start`, which ends the file. Refused when an offset no longer
// fits its record.
Result<std::string, std::string> RebuiltDirectory(std::string_view directory,
                                                  const std::vector<MovedEntry>& moved,
                                                  std::uint64_t start);

} // namespace quillset::zip
