#include "platform/StopPoint.h"
#include "posix/FileDescriptor.h"
#include "transfer/InternetTransfer.h"
#include "updater/ChangedEntries.h"
#include "updater/Local.h"
#include "updater/SignedManifest.h"

#include <unistd.h>

namespace quillset {

namespace {

// The first request asks for this much of the archive's end: the end records with the longest
// comment, and the whole directory of a module of a few thousand files.
constexpr std::uint64_t kTailBytes = 128 << 10;

// The `size` bytes of `fd` from its start; then empties it for what comes next.
std::string TakeBack(int fd, std::uint64_t size) {
    std::string bytes(size, '\0');
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            ThrowSystemError("cannot read back", "the archive's directory");
        done += std::size_t(got);
    }
    if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
        ThrowSystemError("cannot empty", "the archive's file");
    return bytes;
}

} // namespace

Step<> Local::fetchPiece(const QString& address, const ByteRange& range,
                         const RangeCondition& condition, int into,
                         const TransferProgress& before) {
    transfer_.setLimits(limits_.archive);
    transfer_.setUserAgent(userAgent());
    try {
        transfer_.ExecuteRange(address, state_.ArchiveFileName, range, condition, into);
        StopPoint("transfer-started");
    } catch (const TransferError& error) {
        return FallBack(QString::fromUtf8(error.what()));
    }
    awaitTransfer(transfer_, [&] {
        TransferProgress progress = before;
        progress.received += transfer_.progress().received;
        if (progress.total == 0) // the whole archive, as a server without ranges sends it
            progress = transfer_.progress();
        view_.showTransferProgress(progress);
    });
    if (transfer_.lastError().isEmpty())
        return {};
    // A disk that cannot take the piece cannot take the whole archive either.
    if (transfer_.failedHere())
        return StepFailed(QStringLiteral("archive transfer"), transfer_.lastError());
    return FallBack(transfer_.lastError());
}

Step<std::string> Local::fetchDirectory(const QString& address, int file, const RangeAnswer& tail,
                                        zip::DirectoryPlace& place) {
    const std::string tailBytes = TakeBack(file, tail.length());
    Result<zip::DirectoryPlace, std::string> found = zip::ReadDirectoryPlace(tailBytes, tail.total);
    if (!found)
        return FallBack(found.reason());
    place = *found;
    if (place.size > zip::kLargestDirectory)
        return FallBack(QStringLiteral("the archive's directory is larger than any module's"));
    if (place.start >= tail.first)
        return tailBytes.substr(place.start - tail.first, place.size);
    if (Step<> piece = fetchPiece(address, {place.start, tail.first - 1, false},
                                  {tail.validator, tail.total}, file, {});
        !piece)
        return Refuse(piece.reason());
    return TakeBack(file, tail.first - place.start) +
           tailBytes.substr(0, place.start + place.size - tail.first);
}

Step<EntrySelection> Local::chooseEntries(const std::vector<zip::DirectoryEntry>& entries,
                                          const zip::DirectoryPlace& place) {
    fetchedEntries_.clear();
    const std::string program = localName(state_.ProgramFileName);
    Result<EntrySelection, std::string> selection = Refuse(std::string());
    if (!statement_) {
        selection = SelectChangedEntries(entries, place, change_.folders().handle, program,
                                         &SameSizeAndCrc);
    } else {
        // A signed release: the directory must be the one signed, and an installed file is kept
        // only when its digest is the signed one, whatever size and CRC-32 it shows.
        const SignedManifest manifest(statement_->entries);
        if (const Result<void, std::string> same = manifest.checkDirectory(entries); !same)
            return StepFailed(QStringLiteral("signature"), same.reason());
        selection = SelectChangedEntries(entries, place, change_.folders().handle, program,
                                         [&](int fd, const zip::DirectoryEntry& entry) {
                                             return manifest.sameAsSigned(fd, entry);
                                         });
        if (selection)
            for (const zip::DirectoryEntry* entry : selection->entries)
                if (!entry->isFolder())
                    fetchedEntries_.emplace_back(*ModulePathOf(*entry), *entry);
    }
    if (!selection)
        return FallBack(selection.reason());
    return *std::move(selection);
}

Step<FetchedArchive> Local::fetchChangedEntries(const QString& address) {
    try {
        Fd file = OrThrow(change_.privateFile());
        // A server without ranges answers with the whole archive: as cheap as asking for it.
        if (Step<> tailPiece =
                fetchPiece(address, {kTailBytes, 0, true}, {{}, 0, true}, file.get(), {});
            !tailPiece)
            return Refuse(tailPiece.reason());
        const RangeAnswer tail = transfer_.rangeAnswer();
        // A small archive is whole in its tail.
        if (tail.whole || tail.first == 0)
            return FetchedArchive{std::move(file), true};
        // Without a validator nothing tells two versions of the archive apart between requests.
        if (tail.validator.empty())
            return FallBack(QStringLiteral("the server names no version of the archive"));
        zip::DirectoryPlace place;
        const Step<std::string> directory = fetchDirectory(address, file.get(), tail, place);
        if (!directory)
            return Refuse(directory.reason());
        const Result<std::vector<zip::DirectoryEntry>, std::string> entries =
            zip::ReadDirectory(*directory, place);
        if (!entries)
            return FallBack(entries.reason());
        const Step<EntrySelection> selection = chooseEntries(*entries, place);
        if (!selection)
            return Refuse(selection.reason());
        TransferProgress fetched{0, selection->bytes, tail.total};
        for (const ByteRange& piece : selection->pieces) {
            if (Step<> got =
                    fetchPiece(address, piece, {tail.validator, tail.total}, file.get(), fetched);
                !got)
                return Refuse(got.reason());
            fetched.received += piece.last - piece.first + 1;
        }
        const Result<std::string, std::string> rebuilt =
            zip::RebuiltDirectory(*directory, PlacesInPieces(*selection), fetched.received);
        if (!rebuilt)
            return FallBack(rebuilt.reason());
        WriteAll(file.get(), *rebuilt, "the fetched entries");
        return FetchedArchive{std::move(file), false};
    } catch (const SystemError& error) {
        return FallBack(QString::fromUtf8(error.what()));
    }
}

} // namespace quillset
