#include "updater/ChangedEntries.h"

#include "posix/Beneath.h"
#include "zipdir/ZipBytes.h"

#include <QString>
#include <algorithm>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace quillset {

namespace {

// Pieces nearer than this are fetched as one: a request costs more than the bytes between.
constexpr std::uint64_t kCoalesceGap = 32 << 10;
// No more requests than this for the entries, however scattered they lie.
constexpr std::size_t kMostPieces = 64;
constexpr std::uint16_t kUtf8Name = 1 << 11;
// A local header's name and extra field may each be this long.
constexpr std::uint64_t kLongestField = 65535;
// The data descriptor after an entry's data, at most (ZIP64, with its signature).
constexpr std::uint64_t kLongestDescriptor = 24;

bool PlainlyNamed(const std::string& name, bool utf8) {
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii || (utf8 && QString::fromUtf8(name).toUtf8().toStdString() == name);
}

// Where each entry's piece ends: its local record, and at most the next entry's start. Empty
// when two entries share bytes or one lies past the data.
std::vector<std::uint64_t> PieceEnds(const std::vector<zip::DirectoryEntry>& entries,
                                     const std::vector<std::size_t>& byOffset,
                                     std::uint64_t dataEnd) {
    std::vector<std::uint64_t> ends(entries.size());
    for (std::size_t i = 0; i < byOffset.size(); ++i) {
        const zip::DirectoryEntry& entry = entries[byOffset[i]];
        const std::uint64_t next =
            i + 1 < byOffset.size() ? entries[byOffset[i + 1]].offset : dataEnd;
        const std::uint64_t least =
            zip::kLocalHeaderSize + entry.name.size() + entry.compressedSize;
        if (next < entry.offset || next - entry.offset < least)
            return {};
        ends[byOffset[i]] =
            std::min(next, entry.offset + least + kLongestField + kLongestDescriptor);
    }
    return ends;
}

// Joins pieces nearer than the gap, then the nearest ones until no more than kMostPieces stay.
std::vector<ByteRange> Coalesced(std::vector<ByteRange> pieces) {
    std::vector<std::uint64_t> gaps;
    for (std::size_t i = 1; i < pieces.size(); ++i)
        gaps.push_back(pieces[i].first - pieces[i - 1].last - 1);
    std::uint64_t widest = kCoalesceGap;
    if (pieces.size() > kMostPieces) {
        std::nth_element(gaps.begin(), gaps.end() - kMostPieces, gaps.end());
        widest = std::max(widest, *(gaps.end() - kMostPieces) + 1);
    }
    std::vector<ByteRange> joined;
    for (const ByteRange& piece : pieces) {
        if (!joined.empty() && piece.first - joined.back().last - 1 < widest)
            joined.back().last = piece.last;
        else
            joined.push_back(piece);
    }
    return joined;
}

bool Wanted(const zip::DirectoryEntry& entry, const std::string& path, int module,
            const std::string& program, const SameContent& same) {
    if (entry.isFolder() || entry.isLink() ||
        QString::fromStdString(path).compare(QString::fromStdString(program),
                                             Qt::CaseInsensitive) == 0)
        return true;
    const SystemResult<Fd> installed = TryOpenFileBeneath(module, path);
    return !installed || !same(installed->get(), entry); // missing, or not a plain file
}

} // namespace

bool SameSizeAndCrc(int fd, const zip::DirectoryEntry& entry) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || std::uint64_t(info.st_size) != entry.size)
        return false;
    if ((entry.unixMode & 0777) != 0 && (info.st_mode & 0777) != (entry.unixMode & 0777))
        return false;
    uLong crc = crc32(0, nullptr, 0);
    std::vector<Bytef> buffer(1 << 16);
    for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        crc = crc32(crc, buffer.data(), uInt(got));
    }
    return crc == entry.crc32;
}

std::optional<std::string> ModulePathOf(const zip::DirectoryEntry& entry) {
    const std::string& name = entry.name;
    if (!PlainlyNamed(name, entry.flags & kUtf8Name) || name.starts_with('/') ||
        name.starts_with('\\') || (name.size() >= 2 && name[1] == ':'))
        return std::nullopt;
    std::string path;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
        const std::string part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return std::nullopt;
        path += (path.empty() ? "" : "/") + part;
    }
    return path; // empty: the engine's own folder ("./"), nothing to fetch
}

Result<EntrySelection, std::string>
SelectChangedEntries(const std::vector<zip::DirectoryEntry>& entries,
                     const zip::DirectoryPlace& place, int module, const std::string& program,
                     const SameContent& same) {
    std::vector<std::size_t> byOffset(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        byOffset[i] = i;
    std::sort(byOffset.begin(), byOffset.end(),
              [&](std::size_t a, std::size_t b) { return entries[a].offset < entries[b].offset; });
    const std::vector<std::uint64_t> ends = PieceEnds(entries, byOffset, place.start);
    if (ends.empty() && !entries.empty())
        return Refuse<std::string>("the archive's entries overlap or lie outside its data");
    std::map<std::string, std::size_t> paths;
    EntrySelection selection;
    std::vector<ByteRange> pieces;
    for (const std::size_t i : byOffset) {
        const std::optional<std::string> path = ModulePathOf(entries[i]);
        if (!path || !paths.emplace(*path, i).second)
            return Refuse<std::string>("the entry " + entries[i].name +
                                       " does not map plainly onto the module");
        if (path->empty() || !Wanted(entries[i], *path, module, program, same))
            continue;
        selection.entries.push_back(&entries[i]);
        pieces.push_back({entries[i].offset, ends[i] - 1});
    }
    selection.pieces = Coalesced(std::move(pieces));
    for (const ByteRange& piece : selection.pieces)
        selection.bytes += piece.last - piece.first + 1;
    if (selection.bytes > place.start / 2)
        return Refuse<std::string>("the changed entries are most of the archive");
    return selection;
}

std::vector<zip::MovedEntry> PlacesInPieces(const EntrySelection& selection) {
    std::vector<zip::MovedEntry> moved;
    std::uint64_t at = 0;
    auto entry = selection.entries.begin();
    for (const ByteRange& piece : selection.pieces) {
        // Entries lie in their pieces in the same order; each moves with its piece.
        for (; entry != selection.entries.end() && (*entry)->offset <= piece.last; ++entry)
            moved.push_back({*entry, at + (*entry)->offset - piece.first});
        at += piece.last - piece.first + 1;
    }
    return moved;
}

} // namespace quillset
