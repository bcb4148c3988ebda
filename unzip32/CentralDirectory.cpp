#include "unzip32/CentralDirectory.h"

#include "unzip32/Destination.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillset::unzip32 {

namespace {

constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kLongestComment = 65535;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndRecordSize = 56;
constexpr std::size_t kDirectoryHeaderSize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::uint32_t kNoValue32 = 0xFFFFFFFF;
// A directory larger than this is left to the archive reader rather than read whole.
constexpr std::uint64_t kLargestDirectory = 64u << 20;

using Bytes = std::vector<unsigned char>;

std::uint64_t Little(const unsigned char* at, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}

bool HasSignature(const unsigned char* at, unsigned char third, unsigned char fourth) {
    return at[0] == 'P' && at[1] == 'K' && at[2] == third && at[3] == fourth;
}

Problem ReadAt(int fd, std::uint64_t offset, std::size_t size, Bytes& into) {
    into.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            pread(fd, into.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return ErrnoProblem(UZ_NO_ARCHIVE, "cannot read the archive");
        if (got == 0)
            return Problem{UZ_BAD_ARCHIVE, "the archive ends early"};
        done += static_cast<std::size_t>(got);
    }
    return {};
}

std::uint64_t FileSize(int fd) {
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

// Replaces the directory's place and size by the ZIP64 values when a locator precedes the record.
Problem ReadZip64End(int fd, EndRecord& end) {
    Bytes bytes;
    if (end.position < kZip64LocatorSize)
        return {};
    if (Problem problem = ReadAt(fd, end.position - kZip64LocatorSize, kZip64LocatorSize, bytes))
        return problem;
    if (!HasSignature(bytes.data(), 6, 7))
        return {};
    const std::uint64_t at = Little(bytes.data() + 8, 8);
    if (at > end.position)
        return {};
    if (Problem problem = ReadAt(fd, at, kZip64EndRecordSize, bytes))
        return problem;
    if (!HasSignature(bytes.data(), 6, 6))
        return {};
    end.directorySize = Little(bytes.data() + 40, 8);
    end.directoryOffset = Little(bytes.data() + 48, 8);
    end.position = at; // the directory ends where the ZIP64 record starts
    return {};
}

// The data of the extra field `id` among an entry's extra fields, when it is there exactly once:
// a reader that takes another copy of a repeated field than we judged is never asked.
struct ExtraField {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};
std::optional<ExtraField> FindExtra(const unsigned char* extra, std::size_t length,
                                    std::uint16_t id) {
    std::optional<ExtraField> found;
    for (std::size_t at = 0; at + 4 <= length;) {
        const auto size = static_cast<std::size_t>(Little(extra + at + 2, 2));
        if (at + 4 + size > length)
            break;
        if (Little(extra + at, 2) == id) {
            if (found)
                return std::nullopt;
            found = ExtraField{extra + at + 4, size};
        }
        at += 4 + size;
    }
    return found;
}

// Takes the ZIP64 values out of an extra field for the fields that hold 0xFFFFFFFF.
void ApplyZip64Extra(const unsigned char* extra, std::size_t length, bool sizeInExtra,
                     bool compressedInExtra, bool offsetInExtra, StoredEntry& entry) {
    const std::optional<ExtraField> field = FindExtra(extra, length, 1);
    if (!field)
        return;
    std::size_t at = sizeInExtra ? 8 : 0;
    if (compressedInExtra && at + 8 <= field->size) {
        entry.compressedSize = Little(field->data + at, 8);
        at += 8;
    }
    if (offsetInExtra && at + 8 <= field->size)
        entry.offset = Little(field->data + at, 8);
}

// The method the data of an entry with the header's `method` is decoded with: under WinZip AES
// encryption, the one its AES extra field (version, "AE", strength, method) names.
std::uint16_t DataMethod(std::uint16_t method, const unsigned char* extra, std::size_t length) {
    constexpr std::uint16_t kAesField = 0x9901;
    constexpr std::size_t kAesFieldSize = 7;
    if (method != kAesEncrypted)
        return method;
    const std::optional<ExtraField> field = FindExtra(extra, length, kAesField);
    if (!field || field->size != kAesFieldSize)
        return kAesEncrypted;
    return static_cast<std::uint16_t>(Little(field->data + 5, 2));
}

Problem Unreadable(const std::string& what) {
    return Problem{UZ_BAD_ARCHIVE, "the central directory cannot be read: " + what};
}

// The directory's entries as it lists them, without what their local headers add.
Made<std::vector<StoredEntry>> ReadDirectory(int fd, const EndRecord& end) {
    if (end.directorySize > kLargestDirectory)
        return {{}, Unreadable("larger than 64 MiB")};
    // Data before the archive (a self-extracting stub) moves every offset by the same amount.
    const std::uint64_t start = end.position - std::min(end.directorySize, end.position);
    if (end.directorySize > end.position || start < end.directoryOffset)
        return {{}, Unreadable("its size and place do not fit the file")};
    const std::uint64_t shift = start - end.directoryOffset;
    Bytes directory;
    if (Problem problem = ReadAt(fd, start, static_cast<std::size_t>(end.directorySize), directory))
        return {{}, problem};
    std::vector<StoredEntry> entries;
    for (std::size_t at = 0; at + kDirectoryHeaderSize <= directory.size();) {
        const unsigned char* header = directory.data() + at;
        if (!HasSignature(header, 1, 2))
            break;
        const auto nameLength = static_cast<std::size_t>(Little(header + 28, 2));
        const auto extraLength = static_cast<std::size_t>(Little(header + 30, 2));
        const auto commentLength = static_cast<std::size_t>(Little(header + 32, 2));
        const std::size_t next =
            at + kDirectoryHeaderSize + nameLength + extraLength + commentLength;
        if (next > directory.size())
            return {{}, Unreadable("an entry runs past its end")};
        StoredEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(header + kDirectoryHeaderSize), nameLength);
        entry.flags = static_cast<std::uint16_t>(Little(header + 8, 2));
        entry.headerMethod = static_cast<std::uint16_t>(Little(header + 10, 2));
        entry.compressedSize = Little(header + 20, 4);
        entry.offset = Little(header + 42, 4);
        const unsigned char* extra = header + kDirectoryHeaderSize + nameLength;
        entry.method = DataMethod(entry.headerMethod, extra, extraLength);
        ApplyZip64Extra(extra, extraLength, Little(header + 24, 4) == kNoValue32,
                        entry.compressedSize == kNoValue32, entry.offset == kNoValue32, entry);
        entry.offset += shift;
        entries.push_back(std::move(entry));
        at = next;
    }
    return {std::move(entries), {}};
}

// What liblzma's LZMA decoder allocates for the five property bytes: the dictionary and the
// literal coder's tables, which grow with lc + lp.
std::uint64_t LzmaDecoderMemory(const unsigned char* properties) {
    const unsigned bits = properties[0];
    const unsigned lc = bits % 9;
    const unsigned lp = (bits / 9) % 5;
    constexpr std::uint64_t kCoderState = 32u << 10;
    return Little(properties + 1, 4) + (std::uint64_t{0x300} << (lc + lp)) * 2 + kCoderState;
}

// An xz variable-length number at `at`, moved past; nullopt when it runs past `end`.
std::optional<std::uint64_t> XzNumber(const Bytes& bytes, std::size_t& at, std::size_t end) {
    std::uint64_t value = 0;
    for (int shift = 0; at < end && shift <= 56; shift += 7) {
        const unsigned char byte = bytes[at++];
        value |= std::uint64_t(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            return value;
    }
    return std::nullopt;
}

// The LZMA2 dictionary one xz block header declares, 0 for none; nullopt when it is malformed.
std::optional<std::uint64_t> XzBlockDictionary(const Bytes& header) {
    constexpr std::uint64_t kLzma2 = 0x21;
    const std::size_t end = header.size() - 4; // before its CRC32
    const unsigned flags = header[1];
    std::size_t at = 2;
    for (const unsigned present : {0x40u, 0x80u}) {
        if ((flags & present) && !XzNumber(header, at, end))
            return std::nullopt;
    }
    std::uint64_t dictionary = 0;
    for (unsigned filter = 0; filter <= (flags & 3); ++filter) {
        const std::optional<std::uint64_t> id = XzNumber(header, at, end);
        const std::optional<std::uint64_t> size = XzNumber(header, at, end);
        if (!id || !size || *size > end - at)
            return std::nullopt;
        if (*id == kLzma2 && *size == 1) {
            const unsigned bits = header[at];
            dictionary =
                bits >= 40 ? 0xFFFFFFFFu : std::uint64_t(2 | (bits & 1)) << (bits / 2 + 11);
        }
        at += static_cast<std::size_t>(*size);
    }
    return dictionary;
}

// The largest dictionary the blocks of a one-stream xz entry declare, found through the stream's
// index at its end; kUnjudged when the stream cannot be walked so.
Made<std::uint64_t> XzDecoderMemory(int fd, std::uint64_t dataStart, std::uint64_t dataEnd) {
    constexpr std::size_t kStreamEdge = 12;
    constexpr std::uint64_t kMostIndex = 16u << 20;
    // Real writers make blocks of a MiB and more; each one costs two reads here.
    constexpr std::uint64_t kMostBlocks = 100'000;
    Bytes footer, index, header;
    if (dataEnd - dataStart < 2 * kStreamEdge)
        return {kUnjudged, {}};
    if (Problem problem = ReadAt(fd, dataEnd - kStreamEdge, kStreamEdge, footer))
        return {0, problem};
    const std::uint64_t indexSize = (Little(footer.data() + 4, 4) + 1) * 4;
    if (footer[10] != 'Y' || footer[11] != 'Z' || indexSize > kMostIndex ||
        indexSize > dataEnd - dataStart - 2 * kStreamEdge)
        return {kUnjudged, {}};
    const std::uint64_t indexStart = dataEnd - kStreamEdge - indexSize;
    if (Problem problem = ReadAt(fd, indexStart, static_cast<std::size_t>(indexSize), index))
        return {0, problem};
    std::size_t at = 1;
    const std::optional<std::uint64_t> count = XzNumber(index, at, index.size());
    if (index[0] != 0 || !count || *count > kMostBlocks)
        return {kUnjudged, {}};
    std::uint64_t block = dataStart + kStreamEdge, largest = 0;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const std::optional<std::uint64_t> unpadded = XzNumber(index, at, index.size());
        if (!unpadded || !XzNumber(index, at, index.size()) || block >= indexStart)
            return {kUnjudged, {}};
        if (Problem problem = ReadAt(fd, block, 1, header))
            return {0, problem};
        const std::size_t headerSize = (std::size_t(header[0]) + 1) * 4;
        if (header[0] == 0 || headerSize > indexStart - block || *unpadded < headerSize)
            return {kUnjudged, {}};
        if (Problem problem = ReadAt(fd, block, headerSize, header))
            return {0, problem};
        const std::optional<std::uint64_t> dictionary = XzBlockDictionary(header);
        if (!dictionary)
            return {kUnjudged, {}};
        largest = std::max(largest, *dictionary);
        block += (std::min(*unpadded, UINT64_MAX - 3 - block) + 3) & ~std::uint64_t{3};
    }
    // Blocks the index leaves out would be decoded all the same.
    if (block != indexStart)
        return {kUnjudged, {}};
    return {largest, {}};
}

// The memory the decoder of the entry's method would need for its data from `dataStart`, judged
// before any decoding. LZMA and xz declare their dictionaries, which encryption hides; the
// decoders of the other methods the engine takes keep to a bound of their own. LZMA's properties
// open its data whatever size the headers give, so they are read even from an entry too short
// to hold them.
Made<std::uint64_t> DecoderMemory(int fd, const StoredEntry& entry, std::uint64_t dataStart) {
    // Two bytes of version, two of the properties' size, then the properties.
    constexpr std::size_t kLzmaHeaderSize = 4 + 5;
    if (entry.method != kLzma && entry.method != kXz)
        return {0, {}};
    if (entry.encrypted())
        return {kUnjudged, {}};
    if (entry.method == kXz)
        return XzDecoderMemory(fd, dataStart, entry.end);
    Bytes header;
    if (Problem problem = ReadAt(fd, dataStart, kLzmaHeaderSize, header))
        return {0, problem};
    return {LzmaDecoderMemory(header.data() + 4), {}};
}

// What the local header `local` (its fixed part, then as many bytes as the directory's name
// has) says otherwise than the directory; its extra fields are read only for WinZip AES and
// ZIP64. The reader may take the data's size from either header, so they must agree, but a
// header whose sizes follow the data (flag 3) may leave its own 0.
Made<std::string> LocalDisagreement(int fd, const StoredEntry& entry, const Bytes& local) {
    const auto flags = static_cast<std::uint16_t>(Little(local.data() + 6, 2));
    const auto method = static_cast<std::uint16_t>(Little(local.data() + 8, 2));
    const auto nameLength = static_cast<std::size_t>(Little(local.data() + 26, 2));
    if (method != entry.headerMethod)
        return {"method", {}};
    if (flags != entry.flags)
        return {"flags", {}};
    if (nameLength != entry.name.size() ||
        std::string_view(reinterpret_cast<const char*>(local.data()) + kLocalHeaderSize,
                         nameLength) != entry.name)
        return {"name", {}};
    StoredEntry sized;
    sized.compressedSize = Little(local.data() + 18, 4);
    Bytes extra;
    if (method == kAesEncrypted || sized.compressedSize == kNoValue32) {
        const auto extraLength = static_cast<std::size_t>(Little(local.data() + 28, 2));
        if (Problem problem = ReadAt(fd, entry.offset + local.size(), extraLength, extra))
            return {"", problem};
    }
    if (DataMethod(method, extra.data(), extra.size()) != entry.method)
        return {"method", {}};
    ApplyZip64Extra(extra.data(), extra.size(), Little(local.data() + 22, 4) == kNoValue32,
                    sized.compressedSize == kNoValue32, false, sized);
    if (sized.compressedSize != entry.compressedSize && !((flags & 8) && sized.compressedSize == 0))
        return {"compressed size", {}};
    return {"", {}};
}

// Adds where the entry's data ends, what its local header says otherwise and what its decoder
// needs. One read takes the local header with the name the directory gives.
Problem ReadLocalHeader(int fd, StoredEntry& entry) {
    Bytes local;
    if (Problem problem = ReadAt(fd, entry.offset, kLocalHeaderSize + entry.name.size(), local))
        return problem;
    if (!HasSignature(local.data(), 3, 4))
        return Unreadable("an entry's local header is missing: " + entry.name);
    // Where the data ends follows from the local header's own name and extra lengths.
    const std::uint64_t dataStart = entry.offset + kLocalHeaderSize + Little(local.data() + 26, 2) +
                                    Little(local.data() + 28, 2);
    entry.end = dataStart + std::min(entry.compressedSize, UINT64_MAX - dataStart);
    Made<std::string> disagreement = LocalDisagreement(fd, entry, local);
    if (disagreement.problem)
        return disagreement.problem;
    entry.disagreement = std::move(disagreement.value);
    const Made<std::uint64_t> memory = DecoderMemory(fd, entry, dataStart);
    entry.decoderMemory = memory.value;
    return memory.problem;
}

std::string MiB(std::uint64_t bytes) {
    return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

} // namespace

Made<std::optional<EndRecord>> ReadEndRecord(int fd) {
    const std::uint64_t size = FileSize(fd);
    if (size < kEndRecordSize)
        return {std::nullopt, {}};
    const auto tailSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndRecordSize + kLongestComment));
    Bytes tail;
    if (Problem problem = ReadAt(fd, size - tailSize, tailSize, tail))
        return {std::nullopt, problem};
    for (std::size_t at = tailSize - kEndRecordSize + 1; at-- > 0;) {
        const unsigned char* record = tail.data() + at;
        if (!HasSignature(record, 5, 6))
            continue;
        const auto length = static_cast<std::size_t>(Little(record + 20, 2));
        if (at + kEndRecordSize + length != tailSize)
            continue;
        EndRecord end;
        end.position = size - tailSize + at;
        end.directorySize = Little(record + 12, 4);
        end.directoryOffset = Little(record + 16, 4);
        end.comment.assign(reinterpret_cast<const char*>(record + kEndRecordSize), length);
        if (Problem problem = ReadZip64End(fd, end))
            return {std::nullopt, problem};
        return {std::move(end), {}};
    }
    return {std::nullopt, {}};
}

Made<std::vector<StoredEntry>> ReadStoredEntries(int archive) {
    const Made<std::optional<EndRecord>> end = ReadEndRecord(archive);
    if (end.problem)
        return {{}, end.problem};
    if (!end.value)
        return {{}, Problem{UZ_NO_ARCHIVE, "no end of central directory record"}};
    Made<std::vector<StoredEntry>> entries = ReadDirectory(archive, *end.value);
    if (entries.problem)
        return entries;
    for (StoredEntry& entry : entries.value) {
        if (Problem problem = ReadLocalHeader(archive, entry))
            return {{}, problem};
    }
    return entries;
}

Problem CheckStoredEntries(std::vector<StoredEntry> entries) {
    for (const StoredEntry& entry : entries) {
        if (!IsSupportedMethod(entry.method))
            return Problem{UZ_BAD_ARCHIVE, "unsupported compression method " +
                                               std::to_string(entry.method) + ": " + entry.name};
        if (!entry.disagreement.empty())
            return Problem{
                UZ_BAD_ARCHIVE,
                "damaged: the local header disagrees with the central directory on its " +
                    entry.disagreement + ": " + entry.name};
        if (entry.decoderMemory == kUnjudged)
            return Problem{UZ_BAD_ARCHIVE,
                           "what an entry's decoder needs cannot be judged before decoding: " +
                               entry.name};
        if (entry.decoderMemory > kMostDecoderMemory)
            return Problem{UZ_BAD_ARCHIVE, "an entry's decoder would need " +
                                               MiB(entry.decoderMemory) + ", more than " +
                                               MiB(kMostDecoderMemory) + ": " + entry.name};
    }
    std::sort(entries.begin(), entries.end(),
              [](const StoredEntry& a, const StoredEntry& b) { return a.offset < b.offset; });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].offset < entries[i - 1].end)
            return Problem{UZ_BAD_ARCHIVE, "entries overlap in the archive: " +
                                               entries[i - 1].name + " and " + entries[i].name};
    }
    return {};
}

} // namespace quillset::unzip32
