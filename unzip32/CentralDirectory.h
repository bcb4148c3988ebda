#pragma once

#include "unzip32/CompressionMethod.h"
#include "unzip32/Problem.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillset::unzip32 {

// The end-of-central-directory record of a ZIP file, with the ZIP64 values where it has them.
struct EndRecord {
    std::uint64_t position = 0; // of the record in the file
    std::uint64_t directoryOffset = 0;
    std::uint64_t directorySize = 0;
    std::string comment;
};

// The last end record whose comment reaches exactly to the end of the open file `fd`; nullopt
// when the file holds none, a problem when it cannot be read.
Made<std::optional<EndRecord>> ReadEndRecord(int fd);

// One entry of the central directory, with what its local header adds.
struct StoredEntry {
    std::string name; // as stored, UTF-8 or Windows-1252 as the archive has it
    std::uint16_t flags = 0;
    std::uint16_t headerMethod = 0; // all 16 bits, as the directory gives it
    // What the data is decoded with: `headerMethod`, or under WinZip AES encryption the method
    // its AES extra field names (kAesEncrypted still when the entry has no single such field).
    std::uint16_t method = 0;
    std::uint64_t offset = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t end = 0; // past the entry's data
    // What its decoder would allocate, judged from the method and its properties before any
    // decoding.
    std::uint64_t decoderMemory = 0;
    // What the local header says otherwise than the directory: "method", "flags", "name",
    // "compressed size", or empty when they agree.
    std::string disagreement;

    bool encrypted() const { return (flags & 1) != 0 || headerMethod == kAesEncrypted; }
};

// The entries of the open archive `archive` in the order of its directory; a problem when the
// directory or a local header cannot be read.
Made<std::vector<StoredEntry>> ReadStoredEntries(int archive);

// More than any real module's entry needs: liblzma asks for about the declared dictionary.
inline constexpr std::uint64_t kMostDecoderMemory = 256u << 20;
// The decoder memory of an xz entry whose stream cannot be walked block by block through its
// index (a second stream, padding, a damaged index), and of an encrypted LZMA or xz entry, whose
// properties cannot be read before decoding: refused, since they could declare any.
inline constexpr std::uint64_t kUnjudged = UINT64_MAX;

// Refuses, as a bad archive, entries of a method the engine does not decode, entries whose local
// header disagrees with the directory, entries whose local headers and data overlap in the file
// (a way to make one stored file unpack under several names, or one small archive unpack to far
// more than it holds) and entries whose decoder would need more than kMostDecoderMemory, or whose
// need cannot be judged.
Problem CheckStoredEntries(std::vector<StoredEntry> entries);

} // namespace quillset::unzip32
