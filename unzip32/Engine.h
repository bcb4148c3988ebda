#pragma once

#include "posix/FileDescriptor.h"
#include "unzip32/Destination.h"
#include "unzip32/EntryPath.h"
#include "unzip32/NameFilter.h"
#include "unzip32/PasswordAsker.h"
#include "unzip32/Problem.h"
#include "unzip32/Reporter.h"
#include "unzip32/unzip32.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct archive;
struct archive_entry;

namespace quillset::unzip32 {

// One unpack: reads the archive with libarchive and lists, tests or extracts its entries as the
// options say, calling back into the caller on the way.
class Engine {
public:
    Engine(const UnzipOptions& options, const UnzipCallbacks& callbacks, NameFilter filter);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    ~Engine();

    std::int32_t run();

private:
    struct Entry;
    struct FolderToFinish {
        std::vector<std::string> components;
        mode_t mode;
        std::optional<timespec> modified;
    };
    using BlockSink = std::function<Problem(std::string_view block, std::int64_t offset)>;

    Problem openArchiveFile();
    void printComment();
    Problem openArchive();
    Problem checkStoredEntries();
    void handleEntry(archive_entry* header);
    void listEntry(const Entry& entry);
    void testEntry(const Entry& entry);
    void printEntryData(const Entry& entry);
    void extractEntry(const Entry& entry);
    void extractFolder(const Entry& entry);
    void extractFileOrLink(const Entry& entry);
    Problem writeFileData(const Entry& entry, PendingEntry& pending);
    static Problem restoreModeAndTime(int fd, const Entry& entry);
    void finishFolders();

    // Reads the current entry's data to its end; the problem says why it stopped early.
    Problem readData(const Entry& entry, const BlockSink& sink);
    Problem readProblem(const Entry& entry);

    static const char* passphraseCallback(archive* reader, void* engine);

    UnzipOptions options_;
    UnzipCallbacks callbacks_;
    NameFilter filter_;
    std::string archivePath_;
    std::string folderPath_;
    // The archive opened once: every read of it, ours and the reader's, goes through this handle,
    // so a file renamed over its name meanwhile is never read.
    Fd archive_;
    archive* reader_ = nullptr;
    std::optional<Destination> destination_;
    std::vector<FolderToFinish> folders_;
    bool stopped_ = false;
    Reporter reporter_;
    PasswordAsker passwords_;

    std::uint64_t entriesDone_ = 0;
    std::uint64_t bytesDone_ = 0;
};

} // namespace quillset::unzip32
