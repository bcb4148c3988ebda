#include "posix/FileDescriptor.h"
#include "transfer/InternetTransfer.h"
#include "updater/ChangedEntries.h"
#include "updater/Local.h"

#include <sys/mman.h>
#include <unistd.h>

namespace quillset {

namespace {

// The first request asks for this much of the archive's end: the end records with the longest
// comment, and the whole directory of a module of a few thousand files.
constexpr std::uint64_t kTailBytes = 128 << 10;

Result<Fd, PartialStop> Stopped(std::string reason) {
    return Refuse(PartialStop{false, std::move(reason)});
}

// A scratch file in memory for the pieces that are read rather than kept: the tail and the
// directory, which a server may send at most kLargestDirectory of.
Fd MemoryFile() {
    const int fd = ::memfd_create("tlupdater-directory", MFD_CLOEXEC);
    if (fd < 0)
        ThrowSystemError("cannot make a file in memory for", "the archive's directory");
    return Fd(fd);
}

// The `size` bytes of `fd` from its start.
std::string ReadBack(int fd, std::uint64_t size) {
    std::string bytes(size, '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            ThrowSystemError("cannot read back", "the archive's directory");
        done += std::size_t(got);
    }
    return bytes;
}

void Rewind(int fd) {
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        ThrowSystemError("cannot reuse", "the file in memory");
}

} // namespace

std::optional<PartialStop> Local::fetchPiece(const QString& address, const ByteRange& range,
                                             const RangeCondition& condition, int into,
                                             const TransferProgress& before) {
    transfer_.setLimits(limits_.archive);
    transfer_.setUserAgent(userAgent());
    try {
        transfer_.ExecuteRange(address, state_.ArchiveFileName, range, condition, into);
    } catch (const TransferError& error) {
        return PartialStop{false, error.what()};
    }
    awaitTransfer(transfer_, [&] {
        if (before.total == 0)
            return;
        TransferProgress progress = before;
        progress.received += transfer_.progress().received;
        view_.showTransferProgress(progress);
    });
    if (!transfer_.lastError().isEmpty())
        return PartialStop{false, transfer_.lastError().toStdString()};
    return std::nullopt;
}

Result<std::string, PartialStop>
Local::fetchDirectory(const QString& address, RangeCondition& archive, zip::DirectoryPlace& place) {
    const Fd scratch = MemoryFile();
    if (std::optional<PartialStop> stop =
            fetchPiece(address, {kTailBytes, 0, true}, {}, scratch.get(), {}))
        return Refuse(*stop);
    const RangeAnswer tail = transfer_.rangeAnswer();
    // Without a validator nothing tells two versions of the archive apart between requests.
    if (tail.validator.empty())
        return Refuse(PartialStop{false, "the server names no version of the archive"});
    archive = {tail.validator, tail.total};
    const std::string tailBytes = ReadBack(scratch.get(), tail.length());
    Result<zip::DirectoryPlace, std::string> found = zip::ReadDirectoryPlace(tailBytes, tail.total);
    if (!found)
        return Refuse(PartialStop{false, found.reason()});
    place = *found;
    if (place.size > zip::kLargestDirectory)
        return Refuse(PartialStop{false, "the archive's directory is larger than any module's"});
    if (place.start >= tail.first)
        return tailBytes.substr(place.start - tail.first, place.size);
    Rewind(scratch.get());
    if (std::optional<PartialStop> stop =
            fetchPiece(address, {place.start, tail.first - 1, false}, archive, scratch.get(), {}))
        return Refuse(*stop);
    return ReadBack(scratch.get(), tail.first - place.start) +
           tailBytes.substr(0, place.start + place.size - tail.first);
}

Result<Fd, PartialStop> Local::fetchChangedEntries(const QString& address) {
    try {
        RangeCondition archive;
        zip::DirectoryPlace place;
        const Result<std::string, PartialStop> directory = fetchDirectory(address, archive, place);
        if (!directory)
            return Refuse(directory.reason());
        const Result<std::vector<zip::DirectoryEntry>, std::string> entries =
            zip::ReadDirectory(*directory, place);
        if (!entries)
            return Stopped(entries.reason());
        const Result<EntrySelection, PartialStop> selection =
            SelectChangedEntries(*entries, place, change_.folders().handle,
                                 localName(state_.ProgramFileName), &SameSizeAndCrc);
        if (!selection)
            return Refuse(selection.reason());
        Fd partial = change_.privateFile();
        TransferProgress fetched{0, selection->bytes, archive.total};
        for (const ByteRange& piece : selection->pieces) {
            if (std::optional<PartialStop> stop =
                    fetchPiece(address, piece, archive, partial.get(), fetched))
                return Refuse(*stop);
            fetched.received += piece.last - piece.first + 1;
        }
        const Result<std::string, std::string> rebuilt =
            zip::RebuiltDirectory(*directory, PlacesInPieces(*selection), fetched.received);
        if (!rebuilt)
            return Stopped(rebuilt.reason());
        WriteAll(partial.get(), *rebuilt, "the fetched entries");
        view_.clearActivity();
        return partial;
    } catch (const SystemError& error) {
        return Stopped(error.what());
    }
}

} // namespace quillset
