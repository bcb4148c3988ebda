#pragma once

#include "Destination.h"
#include "EntryPath.h"
#include "NameFilter.h"
#include "Problem.h"
#include "unzip32.h"

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

    bool openArchive();
    bool handleEntry(archive_entry* header);
    void listEntry(const Entry& entry);
    void testEntry(const Entry& entry);
    void printEntryData(const Entry& entry);
    bool extractEntry(const Entry& entry);
    bool extractFolder(const Entry& entry);
    bool extractFileOrLink(const Entry& entry);
    bool writeFileData(const Entry& entry, PendingEntry& pending);
    void finishFolders();

    // Reads the current entry's data to its end; the problem says why it stopped early.
    Problem readData(const Entry& entry, const BlockSink& sink);
    Problem readProblem(const Entry& entry);

    // Messages through the print callback: `level` 1 for trouble, 2 for the entry lines.
    void say(int level, std::string_view utf8Text);
    void report(const Problem& problem, const std::string& entryName);
    void printRaw(std::string_view bytes);

    static const char* passphraseCallback(archive* reader, void* engine);
    const char* askPassword();

    UnzipOptions options_;
    UnzipCallbacks callbacks_;
    NameFilter filter_;
    std::string archivePath_;
    std::string folderPath_;
    archive* reader_ = nullptr;
    std::optional<Destination> destination_;
    std::vector<FolderToFinish> folders_;
    std::int32_t result_ = UZ_OK;
    bool stopped_ = false;

    // The entry whose password is being asked for, the passwords it refused, and the answer
    // handed to libarchive (which copies it).
    std::string passwordEntryName_;
    std::vector<std::string> triedPasswords_;
    std::string currentPassword_;
    bool passwordDeclined_ = false;  // the callback answered that it has none
    bool passwordExhausted_ = false; // it repeated a refused one or ran out of tries

    std::uint64_t entriesDone_ = 0;
    std::uint64_t bytesDone_ = 0;
};

} // namespace quillset::unzip32
