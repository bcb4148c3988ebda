#include "zipdir/ZipRebuild.h"

#include "zipdir/ZipBytes.h"

namespace quillset::zip {

namespace {

// Writes `offset` into a copy of the record: in its own field, or in its ZIP64 extra field where
// that holds it. False when it does not fit.
bool MoveRecord(std::string& record, std::uint64_t offset) {
    if (ReadLittle(record, 42, 4) != kInZip64) {
        if (offset >= kInZip64)
            return false;
        WriteLittle(record, 42, offset, 4);
        return true;
    }
    const std::size_t nameLength = ReadLittle(record, 28, 2);
    const std::size_t extraLength = ReadLittle(record, 30, 2);
    const std::size_t extraAt = kDirectoryRecordSize + nameLength;
    const std::optional<ExtraField> zip64 =
        FindZip64Extra(std::string_view(record).substr(extraAt, extraLength));
    if (!zip64)
        return false;
    // Its values come in the format's order: size, compressed size, offset.
    std::size_t field = extraAt + zip64->at;
    for (const std::size_t sizeField : {24, 20})
        if (ReadLittle(record, sizeField, 4) == kInZip64)
            field += 8;
    if (field + 8 > extraAt + zip64->at + zip64->length)
        return false;
    WriteLittle(record, field, offset, 8);
    return true;
}

void AppendEndRecords(std::string& out, std::uint64_t count, std::uint64_t size,
                      std::uint64_t start) {
    const bool zip64 = count >= kCountInZip64 || size >= kInZip64 || start >= kInZip64;
    if (zip64) {
        const std::uint64_t record = start + size;
        out += "PK\x06\x06";
        AppendLittle(out, kZip64EndRecordSize - 12, 8);
        AppendLittle(out, 45, 2); // made by and needed: ZIP64
        AppendLittle(out, 45, 2);
        AppendLittle(out, 0, 4);
        AppendLittle(out, 0, 4);
        AppendLittle(out, count, 8);
        AppendLittle(out, count, 8);
        AppendLittle(out, size, 8);
        AppendLittle(out, start, 8);
        out += "PK\x06\x07";
        AppendLittle(out, 0, 4);
        AppendLittle(out, record, 8);
        AppendLittle(out, 1, 4);
    }
    out += "PK\x05\x06";
    AppendLittle(out, 0, 4);
    for (int twice = 0; twice < 2; ++twice)
        AppendLittle(out, zip64 ? kCountInZip64 : count, 2);
    AppendLittle(out, zip64 ? kInZip64 : size, 4);
    AppendLittle(out, zip64 ? kInZip64 : start, 4);
    AppendLittle(out, 0, 2);
}

} // namespace

Result<std::string, std::string> RebuiltDirectory(std::string_view directory,
                                                  const std::vector<MovedEntry>& moved,
                                                  std::uint64_t start) {
    std::string out;
    for (const MovedEntry& one : moved) {
        std::string record(directory.substr(one.entry->recordAt, one.entry->recordSize));
        if (!MoveRecord(record, one.offset))
            return Refuse("the entry " + one.entry->name + " cannot be moved to " +
                          std::to_string(one.offset));
        out += record;
    }
    AppendEndRecords(out, moved.size(), out.size(), start);
    return out;
}

} // namespace quillset::zip
