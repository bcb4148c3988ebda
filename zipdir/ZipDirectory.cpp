#include "zipdir/ZipDirectory.h"

#include "zipdir/ZipBytes.h"

namespace quillset::zip {

namespace {

constexpr unsigned kUnixHost = 3;
constexpr unsigned kMacHost = 19;

// The last end record whose comment ends the tail exactly; npos when there is none.
std::size_t FindEndRecord(std::string_view tail) {
    if (tail.size() < kEndRecordSize)
        return std::string_view::npos;
    const std::size_t last = tail.size() - kEndRecordSize;
    const std::size_t first = last > kLongestComment ? last - kLongestComment : 0;
    for (std::size_t at = last + 1; at-- > first;)
        if (HasSignature(tail, at, 5, 6) && ReadLittle(tail, at + 20, 2) == last - at)
            return at;
    return std::string_view::npos;
}

// Replaces the end record's values by the ZIP64 record's, which a locator right before the end
// record leads to; `end` becomes where the ZIP64 record starts. False when it is not readable.
bool ReadZip64(std::string_view tail, std::size_t& end, DirectoryPlace& place,
               std::uint64_t& storedOffset) {
    if (end < kZip64LocatorSize + kZip64EndRecordSize)
        return false;
    const std::size_t locator = end - kZip64LocatorSize;
    const std::size_t record = locator - kZip64EndRecordSize;
    if (!HasSignature(tail, record, 6, 6) || ReadLittle(tail, locator + 4, 4) != 0 ||
        ReadLittle(tail, record + 16, 4) != 0 || ReadLittle(tail, record + 20, 4) != 0)
        return false;
    place.entries = ReadLittle(tail, record + 32, 8);
    place.size = ReadLittle(tail, record + 40, 8);
    storedOffset = ReadLittle(tail, record + 48, 8);
    end = record;
    return true;
}

// Applies the ZIP64 extra field's values to the fields that hold kInZip64, in the order the
// format keeps them. False when one of them is missing.
bool ApplyZip64Extra(std::string_view extra, bool size, bool compressed, bool offset,
                     DirectoryEntry& entry) {
    if (!size && !compressed && !offset)
        return true;
    const std::optional<ExtraField> zip64 = FindZip64Extra(extra);
    if (!zip64)
        return false;
    std::size_t field = zip64->at;
    const std::size_t stop = zip64->at + zip64->length;
    for (auto [wanted, value] :
         {std::pair{size, &entry.size}, std::pair{compressed, &entry.compressedSize},
          std::pair{offset, &entry.offset}}) {
        if (!wanted)
            continue;
        if (field + 8 > stop)
            return false;
        *value = ReadLittle(extra, field, 8);
        field += 8;
    }
    return true;
}

// The record at `at`; its size is recordSize, 0 when it is not a whole record.
Result<DirectoryEntry, std::string> ReadRecord(std::string_view bytes, std::size_t at) {
    if (at + kDirectoryRecordSize > bytes.size() || !HasSignature(bytes, at, 1, 2))
        return Refuse(std::string("a directory record is damaged"));
    const std::size_t nameLength = ReadLittle(bytes, at + 28, 2);
    const std::size_t extraLength = ReadLittle(bytes, at + 30, 2);
    const std::size_t commentLength = ReadLittle(bytes, at + 32, 2);
    const std::size_t recordSize = kDirectoryRecordSize + nameLength + extraLength + commentLength;
    if (at + recordSize > bytes.size())
        return Refuse(std::string("a directory record runs past the directory"));
    DirectoryEntry entry;
    entry.recordAt = at;
    entry.recordSize = recordSize;
    entry.madeBy = std::uint16_t(ReadLittle(bytes, at + 4, 2));
    entry.flags = std::uint16_t(ReadLittle(bytes, at + 8, 2));
    entry.method = std::uint16_t(ReadLittle(bytes, at + 10, 2));
    entry.crc32 = std::uint32_t(ReadLittle(bytes, at + 16, 4));
    entry.compressedSize = ReadLittle(bytes, at + 20, 4);
    entry.size = ReadLittle(bytes, at + 24, 4);
    entry.offset = ReadLittle(bytes, at + 42, 4);
    entry.name = std::string(bytes.substr(at + kDirectoryRecordSize, nameLength));
    const unsigned host = entry.madeBy >> 8;
    if (host == kUnixHost || host == kMacHost)
        entry.unixMode = std::uint32_t(ReadLittle(bytes, at + 38, 4) >> 16);
    if (ReadLittle(bytes, at + 34, 2) != 0)
        return Refuse("the entry " + entry.name + " lies on another disk");
    const std::string_view extra =
        bytes.substr(at + kDirectoryRecordSize + nameLength, extraLength);
    if (!ApplyZip64Extra(extra, entry.size == kInZip64, entry.compressedSize == kInZip64,
                         entry.offset == kInZip64, entry))
        return Refuse("the entry " + entry.name + " lacks its ZIP64 values");
    return entry;
}

} // namespace

Result<DirectoryPlace, std::string> ReadDirectoryPlace(std::string_view tail,
                                                       std::uint64_t fileSize) {
    if (tail.size() > fileSize)
        return Refuse(std::string("the tail is longer than the file"));
    std::size_t end = FindEndRecord(tail);
    if (end == std::string_view::npos)
        return Refuse(std::string("no end record reaches the end of the file"));
    if (ReadLittle(tail, end + 4, 2) != 0 || ReadLittle(tail, end + 6, 2) != 0)
        return Refuse(std::string("the archive spans several disks"));
    DirectoryPlace place;
    place.entries = ReadLittle(tail, end + 10, 2);
    place.size = ReadLittle(tail, end + 12, 4);
    std::uint64_t storedOffset = ReadLittle(tail, end + 16, 4);
    if (end >= kZip64LocatorSize && HasSignature(tail, end - kZip64LocatorSize, 6, 7) &&
        !ReadZip64(tail, end, place, storedOffset))
        return Refuse(std::string("the ZIP64 end record is not where its locator says"));
    // The directory ends where the end records begin.
    const std::uint64_t directoryEnd = fileSize - tail.size() + end;
    if (place.size > directoryEnd || directoryEnd - place.size < storedOffset)
        return Refuse(std::string("the directory's size and place do not fit the file"));
    place.start = directoryEnd - place.size;
    place.shift = place.start - storedOffset;
    return place;
}

Result<std::vector<DirectoryEntry>, std::string> ReadDirectory(std::string_view bytes,
                                                               const DirectoryPlace& place) {
    if (bytes.size() != place.size || place.size > kLargestDirectory)
        return Refuse(std::string("the directory is larger than any module's"));
    if (place.entries > place.size / kDirectoryRecordSize)
        return Refuse("the directory claims " + std::to_string(place.entries) + " entries in " +
                      std::to_string(place.size) + " bytes");
    std::vector<DirectoryEntry> entries;
    std::size_t at = 0;
    while (entries.size() < place.entries) {
        Result<DirectoryEntry, std::string> entry = ReadRecord(bytes, at);
        if (!entry)
            return Refuse(entry.reason());
        at += entry->recordSize;
        entry->offset += place.shift;
        if (entry->offset < place.shift || entry->offset >= place.start)
            return Refuse("the entry " + entry->name + " lies outside the archive's data");
        entries.push_back(std::move(*entry));
    }
    if (at != bytes.size())
        return Refuse(std::string("the directory holds more than its records"));
    return entries;
}

} // namespace quillset::zip
