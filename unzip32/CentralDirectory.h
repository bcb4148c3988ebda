#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillset::unzip32 {

// The end-of-central-directory record of a ZIP file, with the ZIP64 values where it has them.
struct EndRecord {
    std::uint64_t position = 0; // of the record in the file
    std::uint64_t directoryOffset = 0;
    std::uint64_t directorySize = 0;
    std::string comment;
};

// The last end record whose comment reaches exactly to the end of the open file `fd`; nullopt
// when there is none.
std::optional<EndRecord> ReadEndRecord(int fd);

// Two entries of the central directory whose local headers and data overlap in the file: a way
// to make one stored file unpack under several names, or one small archive unpack to far more
// than it holds.
struct OverlappingEntries {
    std::string first; // names as stored
    std::string second;
};

// The first overlap found in the archive at `path`; nullopt when there is none, or when the
// directory cannot be read (the archive reader then reports what is wrong with it).
std::optional<OverlappingEntries> FindOverlappingEntries(const std::string& path);

} // namespace quillset::unzip32
