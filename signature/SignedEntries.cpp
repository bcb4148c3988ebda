#include "signature/SignedEntries.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quillset {

namespace {

// The shortest entry line: "entry ", the digest, " 0 0 N" and its line feed. It bounds what a
// count makes the reader reserve by what the file can hold.
constexpr std::size_t kShortestEntryLine = 6 + 64 + 6 + 1;
// Unix modes as an archive stores them: 16 bits.
constexpr std::uint64_t kMaxMode = 0xffff;

bool WrittenAsItself(unsigned char byte) {
    return byte >= '!' && byte <= '~' && byte != '%';
}

// An entry's name from its escaped form; only one spelling of each name is accepted, so that the
// signed text and the names stay one-to-one.
std::optional<std::string> DecodeName(std::string_view text) {
    std::string name;
    name.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(text[i]);
        if (WrittenAsItself(ch)) {
            name += static_cast<char>(ch);
            continue;
        }
        if (ch != '%' || text.size() - i < 3)
            return std::nullopt;
        const int high = HexDigit(text[i + 1], 'A');
        const int low = HexDigit(text[i + 2], 'A');
        if (high < 0 || low < 0 || WrittenAsItself(static_cast<unsigned char>(high << 4 | low)))
            return std::nullopt;
        name += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return name;
}

// "SHA256 SIZE MODE NAME" of one entry line.
Result<SignedEntry, std::string> ReadEntry(std::string_view value, const std::string& where) {
    SignedEntry entry;
    const std::size_t sizeAt = 65;
    const std::size_t modeAt = value.find(' ', sizeAt) + 1;
    const std::size_t nameAt = modeAt == 0 ? 0 : value.find(' ', modeAt) + 1;
    if (value.size() < sizeAt || value[sizeAt - 1] != ' ' || modeAt == 0 || nameAt == 0)
        return Refuse(where + " is not \"entry SHA256 SIZE MODE NAME\"");
    if (!ReadHex(value.substr(0, 64), entry.sha256))
        return Refuse(where +
                      ": the entry's SHA-256 digest is not 64 lower-case hexadecimal digits");
    const std::optional<std::uint64_t> size = ReadNumber(
        value.substr(sizeAt, modeAt - 1 - sizeAt), 10, std::numeric_limits<std::uint64_t>::max());
    if (!size)
        return Refuse(where + ": the entry's size is not a decimal number of bytes");
    entry.size = *size;
    const std::optional<std::uint64_t> mode =
        ReadNumber(value.substr(modeAt, nameAt - 1 - modeAt), 8, kMaxMode);
    if (!mode)
        return Refuse(where + ": the entry's mode is not an octal Unix mode of 16 bits");
    entry.mode = static_cast<std::uint32_t>(*mode);
    std::optional<std::string> name = DecodeName(value.substr(nameAt));
    if (!name)
        return Refuse(where +
                      ": the entry's name holds a byte not written as %XX, or a bad escape");
    if (name->empty() || name->size() > kMaxSignedEntryName)
        return Refuse(where + ": the entry's name is empty or longer than " +
                      std::to_string(kMaxSignedEntryName) + " bytes");
    entry.name = std::move(*name);
    return entry;
}

// Sorted rather than hashed: names chosen to collide cannot make it slow.
Result<void, std::string> CheckNamesDiffer(const std::vector<SignedEntry>& entries, int firstLine) {
    std::vector<std::pair<std::string_view, int>> names;
    names.reserve(entries.size());
    for (const SignedEntry& entry : entries)
        names.emplace_back(entry.name, firstLine + static_cast<int>(names.size()));
    std::sort(names.begin(), names.end());
    const auto same = std::adjacent_find(names.begin(), names.end(),
                                         [](auto& a, auto& b) { return a.first == b.first; });
    if (same != names.end())
        return Refuse("line " + std::to_string(same[1].second) + " names the entry of line " +
                      std::to_string(same[0].second) + " again");
    return {};
}

} // namespace

Result<std::vector<SignedEntry>, std::string> ReadSignedEntries(StatementLines& lines) {
    const Result<std::string_view, std::string> countText = lines.field("entries");
    if (!countText)
        return Refuse(countText.reason());
    const std::optional<std::uint64_t> count = ReadNumber(*countText, 10, kMaxSignedEntries);
    if (!count || *count == 0)
        return Refuse(lines.where() + ": the entry count is not a number from 1 to " +
                      std::to_string(kMaxSignedEntries));
    const std::string countLine = lines.where();
    std::vector<SignedEntry> entries;
    entries.reserve(std::min<std::size_t>(*count, lines.remaining() / kShortestEntryLine));
    while (entries.size() < *count) {
        const Result<std::string_view, std::string> line = lines.next();
        if (!line)
            return Refuse(line.reason());
        const std::optional<std::string_view> value = FieldValue(*line, "entry");
        if (!value && FieldValue(*line, "signature"))
            return Refuse(lines.where() + " ends the entries after " +
                          std::to_string(entries.size()) + " of the " + std::string(*countText) +
                          " that " + countLine + " counts");
        if (!value)
            return Refuse(lines.where() + " is not an \"entry\" line");
        Result<SignedEntry, std::string> entry = ReadEntry(*value, lines.where());
        if (!entry)
            return Refuse(entry.reason());
        entries.push_back(std::move(*entry));
    }
    if (auto distinct = CheckNamesDiffer(entries, lines.number() + 1 - int(entries.size()));
        !distinct)
        return Refuse(distinct.reason());
    return entries;
}

} // namespace quillset
