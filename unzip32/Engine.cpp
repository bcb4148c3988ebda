#include "unzip32/Engine.h"

#include "platform/FailPoint.h"
#include "posix/FileDescriptor.h"
#include "unzip32/CentralDirectory.h"
#include "unzip32/Cp1252.h"
#include "unzip32/LineEnds.h"
#include "unzip32/ReplaceDecision.h"

#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset::unzip32 {

namespace {

// libarchive guarantees progress after a failed header; this bounds a run of them all the same.
constexpr int kMostFailedHeadersInARow = 64;

std::string JoinComponents(const std::vector<std::string>& components) {
    std::string joined;
    for (const std::string& component : components) {
        if (!joined.empty())
            joined += '/';
        joined += component;
    }
    return joined;
}

// Writes a block at its place in the file.
Problem WriteAt(int fd, std::string_view bytes, std::int64_t offset, const std::string& name) {
    if (FailPoint("unpack-write") || lseek(fd, offset, SEEK_SET) < 0)
        return ErrnoProblem(UZ_DISK_ERROR, "cannot write " + name);
    if (const SystemResult<> written = TryWriteAll(fd, bytes, name); !written)
        return Problem{UZ_DISK_ERROR, written.reason().what()};
    return {};
}

} // namespace

struct Engine::Entry {
    std::string name;      // as stored, UTF-8
    std::string shownName; // Windows-1252, for the callbacks and the messages
    EntryPath path;
    Problem pathProblem; // why the name is refused
    mode_t type = 0;
    mode_t permissions = 0;
    std::optional<timespec> modified;
    std::int64_t size = 0;
    std::string linkTarget;
    bool hardLink = false;
    bool encrypted = false;     // its data or its metadata
    bool dataEncrypted = false; // its data

    std::string shownPath() const { return Utf8ToCp1252(JoinComponents(path.components)); }
};

Engine::Engine(const UnzipOptions& options, const UnzipCallbacks& callbacks, NameFilter filter)
    : options_(options), callbacks_(callbacks), filter_(std::move(filter)),
      archivePath_(options.ZipFileName ? options.ZipFileName : ""),
      folderPath_(options.ExtractDir ? options.ExtractDir : ""),
      reporter_(callbacks.Print, options.MessageLevel), passwords_(callbacks.Password) {}

Engine::~Engine() {
    if (reader_)
        archive_read_free(reader_);
}

std::int32_t Engine::run() {
    if (archivePath_.empty()) {
        reporter_.report(Problem{UZ_ARGUMENT, "no archive named"}, "");
        return reporter_.result();
    }
    if (const Problem problem = openArchiveFile()) {
        reporter_.report(problem, Utf8ToCp1252(archivePath_));
        return reporter_.result();
    }
    if (options_.DisplayComment)
        printComment();
    if (const Problem problem = openArchive()) {
        reporter_.report(problem, Utf8ToCp1252(archivePath_));
        return reporter_.result();
    }
    if (const Problem problem = checkStoredEntries()) {
        reporter_.report(problem, Utf8ToCp1252(archivePath_));
        return reporter_.result();
    }
    if (!options_.ExtractList && !options_.TestZip && !options_.WriteToStdOut) {
        Made<std::optional<Destination>> opened = Destination::openFolder(folderPath_);
        if (opened.problem) {
            reporter_.report(opened.problem, "");
            return reporter_.result();
        }
        destination_ = std::move(opened.value);
    }
    int failedHeaders = 0;
    while (!stopped_) {
        archive_entry* header = nullptr;
        const int status = archive_read_next_header(reader_, &header);
        if (status == ARCHIVE_EOF)
            break;
        if (status == ARCHIVE_FATAL ||
            (status == ARCHIVE_FAILED && ++failedHeaders > kMostFailedHeadersInARow)) {
            const bool recognised = archive_format(reader_) != 0;
            reporter_.report(Problem{recognised ? UZ_BAD_ARCHIVE : UZ_NO_ARCHIVE,
                                     archive_error_string(reader_) ? archive_error_string(reader_)
                                                                   : "unreadable archive"},
                             Utf8ToCp1252(archivePath_));
            break;
        }
        if (status == ARCHIVE_FAILED) {
            reporter_.report(Problem{UZ_BAD_ARCHIVE, archive_error_string(reader_)
                                                         ? archive_error_string(reader_)
                                                         : "unreadable entry"},
                             Utf8ToCp1252(archivePath_));
            continue;
        }
        failedHeaders = 0;
        handleEntry(header);
    }
    if (destination_)
        finishFolders();
    if (options_.Verbose) {
        reporter_.say(2, std::to_string(entriesDone_) + " entries, " + std::to_string(bytesDone_) +
                             " bytes");
    }
    return reporter_.result();
}

void Engine::printComment() {
    // The comment follows the end record, which libarchive does not expose. An archive that
    // cannot be read is the reader's to report, with its reason, just after.
    const Made<std::optional<EndRecord>> end = ReadEndRecord(archive_.get());
    if (end.problem || !end.value || end.value->comment.empty())
        return;
    reporter_.printRaw(end.value->comment);
    reporter_.printRaw("\n");
}

namespace {

// True when the file begins with a ZIP local header's signature.
bool StartsLikeZip(int file) {
    char signature[4] = {};
    return ::pread(file, signature, sizeof signature, 0) == 4 &&
           std::string_view(signature, 4) == std::string_view("PK\x03\x04", 4);
}

} // namespace

Problem Engine::openArchiveFile() {
    SystemResult<Fd> opened = TryOpenRegularFile(archivePath_);
    if (!opened)
        return Problem{UZ_NO_ARCHIVE, opened.reason().what()};
    archive_ = *std::move(opened);
    return {};
}

Problem Engine::openArchive() {
    reader_ = archive_read_new();
    if (!reader_)
        return Problem{UZ_DISK_ERROR, "out of memory"};
    // Only the central directory's entries, the ones checked before: never a scan of local headers.
    archive_read_support_format_zip_seekable(reader_);
    archive_read_set_passphrase_callback(reader_, this, &Engine::passphraseCallback);
    if (archive_read_open_fd(reader_, archive_.get(), 1 << 16) != ARCHIVE_OK) {
        const char* why = archive_error_string(reader_);
        // A file that starts as a ZIP archive but has no directory the reader finds was cut
        // short or damaged; anything else is no ZIP archive at all.
        return Problem{StartsLikeZip(archive_.get()) ? UZ_BAD_ARCHIVE : UZ_NO_ARCHIVE,
                       why ? why : "cannot open"};
    }
    return {};
}

Problem Engine::checkStoredEntries() {
    // The reader would take overlapping entries one after the other and unpack the shared bytes
    // twice, and it would let a decoder allocate whatever an entry declares. A directory that
    // cannot be read here cannot be judged, so nothing of it is decoded: the reader opened it, so
    // it is a damaged archive rather than none.
    Made<std::vector<StoredEntry>> stored = ReadStoredEntries(archive_.get());
    if (stored.problem)
        return Problem{UZ_BAD_ARCHIVE, stored.problem.text};
    return CheckStoredEntries(std::move(stored.value));
}

void Engine::handleEntry(archive_entry* header) {
    Entry entry;
    const char* utf8Name = archive_entry_pathname_utf8(header);
    const char* rawName = archive_entry_pathname(header);
    entry.name = utf8Name ? utf8Name : rawName ? rawName : "";
    entry.shownName = Utf8ToCp1252(entry.name);
    if (!filter_.selects(entry.name))
        return;
    Made<EntryPath> path =
        MakeEntryPath(entry.name, !options_.HonorDirectories, options_.SpaceToUnderScore);
    entry.path = std::move(path.value);
    entry.pathProblem = std::move(path.problem);
    entry.type = archive_entry_filetype(header);
    entry.permissions = archive_entry_perm(header) & (options_.Privilege ? 07777 : 0777);
    if (archive_entry_mtime_is_set(header))
        entry.modified = timespec{archive_entry_mtime(header), archive_entry_mtime_nsec(header)};
    entry.size = archive_entry_size_is_set(header) ? archive_entry_size(header) : 0;
    entry.hardLink = archive_entry_hardlink(header) != nullptr;
    entry.encrypted = archive_entry_is_encrypted(header) != 0;
    entry.dataEncrypted = archive_entry_is_data_encrypted(header) != 0;
    // The reader hands over an encrypted link's stored bytes as they are: ciphertext, no target.
    const char* target = entry.encrypted ? nullptr : archive_entry_symlink_utf8(header);
    if (!target && !entry.encrypted)
        target = archive_entry_symlink(header);
    entry.linkTarget = target ? target : "";

    passwords_.startEntry(entry.shownName);

    if (callbacks_.Service &&
        callbacks_.Service(entry.shownName.c_str(),
                           static_cast<std::uint32_t>(entry.shownName.size())) != 0) {
        reporter_.report(Problem{UZ_CANCELLED, "stopped by the caller"}, entry.shownName);
        stopped_ = true;
        return;
    }
    ++entriesDone_;
    if (options_.ExtractList)
        listEntry(entry);
    else if (options_.TestZip)
        testEntry(entry);
    else if (options_.WriteToStdOut)
        printEntryData(entry);
    else
        extractEntry(entry);
}

void Engine::listEntry(const Entry& entry) {
    if (!callbacks_.Message)
        return;
    std::tm local{};
    if (entry.modified) {
        const time_t seconds = entry.modified->tv_sec;
        localtime_r(&seconds, &local);
    }
    const auto size = static_cast<std::uint64_t>(std::max<std::int64_t>(entry.size, 0));
    const char kind = entry.type == AE_IFREG   ? '-'
                      : entry.type == AE_IFDIR ? 'd'
                      : entry.type == AE_IFLNK ? 'l'
                                               : '?';
    const std::string shownTarget = Utf8ToCp1252(entry.linkTarget);
    const bool dated = entry.modified.has_value();
    callbacks_.Message(static_cast<std::uint32_t>(size), static_cast<std::uint32_t>(size >> 32),
                       static_cast<std::uint16_t>(entry.permissions),
                       static_cast<std::uint16_t>(dated ? local.tm_mon + 1 : 0),
                       static_cast<std::uint16_t>(dated ? local.tm_mday : 0),
                       static_cast<std::uint16_t>(dated ? local.tm_year + 1900 : 0),
                       static_cast<std::uint16_t>(local.tm_hour),
                       static_cast<std::uint16_t>(local.tm_min), kind, entry.shownName.c_str(),
                       shownTarget.c_str(), static_cast<std::uint16_t>(local.tm_sec),
                       entry.encrypted ? 1 : 0);
}

void Engine::testEntry(const Entry& entry) {
    std::int64_t bytes = 0;
    const Problem problem = readData(entry, [&](std::string_view block, std::int64_t) {
        bytes += static_cast<std::int64_t>(block.size());
        return Problem{};
    });
    if (problem) {
        reporter_.report(problem, entry.shownName);
        return;
    }
    bytesDone_ += static_cast<std::uint64_t>(bytes);
    reporter_.say(2, "    testing: " + entry.name + "   OK");
}

void Engine::printEntryData(const Entry& entry) {
    const Problem problem = readData(entry, [&](std::string_view block, std::int64_t) {
        reporter_.printRaw(block);
        bytesDone_ += block.size();
        return Problem{};
    });
    if (problem)
        reporter_.report(problem, entry.shownName);
}

void Engine::extractEntry(const Entry& entry) {
    if (entry.pathProblem) {
        reporter_.report(entry.pathProblem, entry.shownName);
        return;
    }
    if (entry.path.components.empty()) {
        // "./" as bsdtar writes it is the folder itself; a file needs a name.
        if (entry.type != AE_IFDIR)
            reporter_.report(Problem{UZ_REFUSED, "entry without a name"}, entry.shownName);
        return;
    }
    switch (entry.type) {
    case AE_IFDIR:
        if (options_.HonorDirectories)
            extractFolder(entry);
        break;
    case AE_IFREG:
    case AE_IFLNK:
        if (entry.hardLink) {
            reporter_.report(Problem{UZ_REFUSED, "hard links are not extracted"}, entry.shownName);
            return;
        }
        if (entry.type == AE_IFLNK && entry.encrypted) {
            reporter_.report(Problem{UZ_REFUSED, "encrypted links are not extracted"},
                             entry.shownName);
            return;
        }
        if (entry.type == AE_IFLNK &&
            !LinkTargetStaysInside(entry.path.components, entry.linkTarget)) {
            reporter_.report(Problem{UZ_REFUSED, "link points outside the folder: " +
                                                     Utf8ToCp1252(entry.linkTarget)},
                             entry.shownName);
            return;
        }
        extractFileOrLink(entry);
        break;
    default:
        reporter_.report(Problem{UZ_REFUSED, "device, pipe or socket entries are not extracted"},
                         entry.shownName);
        break;
    }
}

void Engine::extractFolder(const Entry& entry) {
    if (const Problem problem = destination_->makeFolder(entry.path.components)) {
        reporter_.report(problem, entry.shownName);
        return;
    }
    folders_.push_back(FolderToFinish{entry.path.components, entry.permissions, entry.modified});
    reporter_.say(2, "   creating: " + JoinComponents(entry.path.components) + "/");
}

void Engine::extractFileOrLink(const Entry& entry) {
    const auto [parent, parentProblem] = destination_->openParent(entry.path.components);
    if (parentProblem) {
        reporter_.report(parentProblem, entry.shownName);
        return;
    }
    const std::string& finalName = entry.path.components.back();
    const std::optional<struct stat> existing = StatEntry(parent, finalName);
    if (existing && S_ISDIR(existing->st_mode)) {
        reporter_.report(Problem{UZ_DISK_ERROR, "a folder of that name is in the way"},
                         entry.shownName);
        return;
    }
    const ReplaceRules rules{options_.ExtractOnlyNewer != 0, options_.ExtractNewer != 0,
                             options_.PromptOverwrite != 0, options_.OverWriteFiles != 0};
    ReplaceDecision decision = DecideReplace(
        rules, existing ? std::optional<time_t>(existing->st_mtime) : std::nullopt,
        entry.modified ? std::optional<time_t>(entry.modified->tv_sec) : std::nullopt);
    if (decision == ReplaceDecision::Ask) {
        const std::int32_t answer =
            callbacks_.Replace ? callbacks_.Replace(entry.shownPath().c_str()) : UZ_REPLACE_NO;
        if (answer == UZ_REPLACE_CANCEL) {
            reporter_.report(Problem{UZ_CANCELLED, "stopped at the question to replace it"},
                             entry.shownName);
            stopped_ = true;
            return;
        }
        decision = answer == UZ_REPLACE_YES ? ReplaceDecision::Write : ReplaceDecision::Skip;
    }
    const std::string shownPath = JoinComponents(entry.path.components);
    if (decision == ReplaceDecision::Skip) {
        reporter_.say(2, "   skipping: " + shownPath);
        return;
    }

    PendingEntry pending(parent, finalName);
    if (entry.type == AE_IFLNK) {
        Problem problem = pending.createLink(entry.linkTarget);
        if (!problem)
            problem = pending.commit();
        if (problem) {
            reporter_.report(problem, entry.shownName);
            return;
        }
        reporter_.say(2, "    linking: " + shownPath + " -> " + entry.linkTarget);
        return;
    }
    Problem problem = pending.createFile();
    if (!problem)
        problem = writeFileData(entry, pending);
    const Problem restoring = problem ? Problem{} : restoreModeAndTime(pending.fd(), entry);
    if (!problem)
        problem = pending.commit();
    if (problem) {
        reporter_.report(problem, entry.shownName);
        return;
    }
    if (restoring)
        reporter_.report(restoring, entry.shownName);
    std::string line = " extracting: " + shownPath;
    if (options_.Verbose)
        line += "  (" + std::to_string(entry.size) + " bytes)";
    reporter_.say(2, line);
}

Problem Engine::writeFileData(const Entry& entry, PendingEntry& pending) {
    const int fd = pending.fd();
    const std::string shownPath = entry.shownPath();
    const bool convert = options_.ConvertCRtoCRLF != 0;
    CrLfConverter converter;
    bool firstBlock = true;
    bool isText = false;
    std::int64_t converted = 0;
    Problem problem = readData(entry, [&](std::string_view block, std::int64_t offset) -> Problem {
        if (firstBlock)
            isText = convert && LooksLikeText(block);
        firstBlock = false;
        bytesDone_ += block.size();
        if (!isText)
            return WriteAt(fd, block, offset, shownPath);
        const std::string lines = converter.convert(block);
        converted += static_cast<std::int64_t>(lines.size());
        return WriteAt(fd, lines, converted - static_cast<std::int64_t>(lines.size()), shownPath);
    });
    if (!problem && isText)
        problem = WriteAt(fd, converter.finish(), converted, shownPath);
    return problem;
}

Problem Engine::restoreModeAndTime(int fd, const Entry& entry) {
    bool restored = fchmod(fd, entry.permissions) == 0;
    if (entry.modified) {
        const timespec times[2] = {*entry.modified, *entry.modified};
        restored = futimens(fd, times) == 0 && restored;
    }
    return restored ? Problem{} : ErrnoProblem(UZ_WARNING, "cannot restore mode or time");
}

void Engine::finishFolders() {
    for (const FolderToFinish& folder : folders_) {
        if (const Problem problem =
                destination_->finishFolder(folder.components, folder.mode, folder.modified))
            reporter_.report(problem, Utf8ToCp1252(JoinComponents(folder.components)));
    }
}

Problem Engine::readData(const Entry& entry, const BlockSink& sink) {
    for (;;) {
        const void* buffer = nullptr;
        std::size_t size = 0;
        la_int64_t offset = 0;
        const int status = archive_read_data_block(reader_, &buffer, &size, &offset);
        if (status == ARCHIVE_EOF)
            return {};
        if (status != ARCHIVE_OK) {
            if (status == ARCHIVE_FATAL)
                stopped_ = true;
            return readProblem(entry);
        }
        if (size == 0)
            continue;
        if (Problem problem =
                sink(std::string_view(static_cast<const char*>(buffer), size), offset))
            return problem;
    }
}

Problem Engine::readProblem(const Entry& entry) {
    // libarchive asks for a passphrase only when the ones it holds do not open the entry. A
    // wrong password can pass the one-byte check of traditional encryption and then fail as bad
    // data, so any failure of an encrypted entry once one was asked for counts as a wrong one.
    if (entry.dataEncrypted && passwords_.asked()) {
        const bool noneTried = passwords_.declined() && !passwords_.triedAny();
        return Problem{UZ_BAD_PASSWORD, noneTried ? "no password given" : "incorrect password"};
    }
    const char* why = archive_error_string(reader_);
    return Problem{UZ_BAD_ARCHIVE, why ? why : "unreadable data"};
}

const char* Engine::passphraseCallback(archive* /*reader*/, void* engine) {
    return static_cast<Engine*>(engine)->passwords_.next();
}

} // namespace quillset::unzip32
