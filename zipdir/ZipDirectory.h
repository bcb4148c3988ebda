#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillset::zip {

// Where an archive's central directory lies, as its end records tell.
struct DirectoryPlace {
    std::uint64_t start = 0; // in the file
    std::uint64_t size = 0;
    std::uint64_t entries = 0;
    // Added to every offset the directory gives: data before the archive (a self-extracting
    // stub) moves them all by the same amount.
    std::uint64_t shift = 0;
};

// Reads the end record, and the ZIP64 locator and record where there are, from `tail`: the last
// tail.size() bytes of a file of `fileSize` bytes. The end record's comment must reach exactly to
// the end of the file. Anything else, a directory outside the file or an archive on several
// disks, is refused with its reason.
Result<DirectoryPlace, std::string> ReadDirectoryPlace(std::string_view tail,
                                                       std::uint64_t fileSize);

// One record of the central directory.
struct DirectoryEntry {
    std::string name; // as stored
    std::uint16_t madeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;   // of its local header in the file, the shift added
    std::uint32_t unixMode = 0; // type and permissions, 0 when not made on a Unix host
    std::size_t recordAt = 0;   // the record within the directory's bytes
    std::size_t recordSize = 0;

    bool isFolder() const { return !name.empty() && name.back() == '/'; }
    bool isLink() const { return (unixMode & 0170000) == 0120000; }
};

// Larger than the directory of any real module (about 150 bytes an entry); reading it stays
// bounded whatever an end record claims.
inline constexpr std::uint64_t kLargestDirectory = 16u << 20;

// Reads the directory's bytes (place.size of them, from place.start): exactly place.entries
// well-formed records and nothing after them, with the ZIP64 values applied. Refused with its
// reason otherwise.
Result<std::vector<DirectoryEntry>, std::string> ReadDirectory(std::string_view bytes,
                                                               const DirectoryPlace& place);

} // namespace quillset::zip
