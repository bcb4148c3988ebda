#include "unzip32/CentralDirectory.h"

#include "unzip32/Destination.h"

#include <algorithm>
#include <fcntl.h>
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

bool ReadAt(int fd, std::uint64_t offset, std::size_t size, Bytes& into) {
    into.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got =
            pread(fd, into.data() + done, size - done, static_cast<off_t>(offset + done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

std::uint64_t FileSize(int fd) {
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

// Replaces the directory's place and size by the ZIP64 values when a locator precedes the record.
void ReadZip64End(int fd, EndRecord& end) {
    Bytes bytes;
    if (end.position < kZip64LocatorSize ||
        !ReadAt(fd, end.position - kZip64LocatorSize, kZip64LocatorSize, bytes) ||
        !HasSignature(bytes.data(), 6, 7))
        return;
    const std::uint64_t at = Little(bytes.data() + 8, 8);
    if (at > end.position || !ReadAt(fd, at, kZip64EndRecordSize, bytes) ||
        !HasSignature(bytes.data(), 6, 6))
        return;
    end.directorySize = Little(bytes.data() + 40, 8);
    end.directoryOffset = Little(bytes.data() + 48, 8);
    end.position = at; // the directory ends where the ZIP64 record starts
}

struct StoredEntry {
    std::string name;
    std::uint64_t offset = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t end = 0; // past the entry's data
};

// Takes the ZIP64 values out of an extra field for the fields that hold 0xFFFFFFFF.
void ApplyZip64Extra(const unsigned char* extra, std::size_t length, bool sizeInExtra,
                     bool compressedInExtra, bool offsetInExtra, StoredEntry& entry) {
    for (std::size_t at = 0; at + 4 <= length;) {
        const auto id = Little(extra + at, 2);
        const auto size = static_cast<std::size_t>(Little(extra + at + 2, 2));
        if (at + 4 + size > length)
            return;
        if (id == 1) {
            std::size_t field = at + 4;
            const std::size_t stop = at + 4 + size;
            if (sizeInExtra)
                field += 8;
            if (compressedInExtra && field + 8 <= stop) {
                entry.compressedSize = Little(extra + field, 8);
                field += 8;
            }
            if (offsetInExtra && field + 8 <= stop)
                entry.offset = Little(extra + field, 8);
            return;
        }
        at += 4 + size;
    }
}

// The directory's entries, or an empty list when it cannot be read whole.
std::vector<StoredEntry> ReadDirectory(int fd, const EndRecord& end) {
    if (end.directorySize > kLargestDirectory || end.directorySize > end.position)
        return {};
    // Data before the archive (a self-extracting stub) moves every offset by the same amount.
    const std::uint64_t start = end.position - end.directorySize;
    if (start < end.directoryOffset)
        return {};
    const std::uint64_t shift = start - end.directoryOffset;
    Bytes directory;
    if (!ReadAt(fd, start, static_cast<std::size_t>(end.directorySize), directory))
        return {};
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
            return {};
        StoredEntry entry;
        entry.name.assign(reinterpret_cast<const char*>(header + kDirectoryHeaderSize), nameLength);
        entry.compressedSize = Little(header + 20, 4);
        entry.offset = Little(header + 42, 4);
        ApplyZip64Extra(header + kDirectoryHeaderSize + nameLength, extraLength,
                        Little(header + 24, 4) == kNoValue32, entry.compressedSize == kNoValue32,
                        entry.offset == kNoValue32, entry);
        entry.offset += shift;
        entries.push_back(std::move(entry));
        at = next;
    }
    return entries;
}

} // namespace

std::optional<EndRecord> ReadEndRecord(int fd) {
    const std::uint64_t size = FileSize(fd);
    if (size < kEndRecordSize)
        return std::nullopt;
    const auto tailSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(size, kEndRecordSize + kLongestComment));
    Bytes tail;
    if (!ReadAt(fd, size - tailSize, tailSize, tail))
        return std::nullopt;
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
        ReadZip64End(fd, end);
        return end;
    }
    return std::nullopt;
}

std::optional<OverlappingEntries> FindOverlappingEntries(const std::string& path) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return std::nullopt;
    const std::optional<EndRecord> end = ReadEndRecord(file.get());
    if (!end)
        return std::nullopt;
    std::vector<StoredEntry> entries = ReadDirectory(file.get(), *end);
    Bytes local;
    for (StoredEntry& entry : entries) {
        // Where the data ends follows from the local header's own name and extra lengths.
        if (!ReadAt(file.get(), entry.offset, kLocalHeaderSize, local) ||
            !HasSignature(local.data(), 3, 4))
            return std::nullopt;
        const std::uint64_t dataStart = entry.offset + kLocalHeaderSize +
                                        Little(local.data() + 26, 2) + Little(local.data() + 28, 2);
        entry.end = dataStart + std::min(entry.compressedSize, UINT64_MAX - dataStart);
    }
    std::sort(entries.begin(), entries.end(),
              [](const StoredEntry& a, const StoredEntry& b) { return a.offset < b.offset; });
    for (std::size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].offset < entries[i - 1].end)
            return OverlappingEntries{entries[i - 1].name, entries[i].name};
    }
    return std::nullopt;
}

} // namespace quillset::unzip32
