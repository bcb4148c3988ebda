#include "fuzz/unzip/UnzipFuzzChecks.h"

#include "unzip/ListingLine.h"
#include "unzip/UnzipSettings.h"
#include "unzip32/unzip32.h"

#include <QString>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset::fuzz {

namespace {

namespace fs = std::filesystem;

// A fresh folder under the temporary folder, removed with everything in it when done.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "unzip-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code error;
        if (!path_.empty())
            fs::remove_all(path_, error);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

int32_t Quiet(const char*, uint32_t) {
    return 0;
}
int32_t AlwaysReplace(const char*) {
    return UZ_REPLACE_YES;
}
int32_t FuzzPassword(char* buffer, int32_t size, const char*, const char*) {
    if (size < 5)
        return UZ_PASSWORD_NONE;
    std::memcpy(buffer, "fuzz", 5);
    return UZ_PASSWORD_GIVEN;
}

std::string listingProblem;

void CheckListing(uint32_t size, uint32_t, uint16_t, uint16_t month, uint16_t day, uint16_t year,
                  uint16_t hour, uint16_t minute, char, const char* name, const char* target,
                  uint16_t, uint16_t) {
    if (!name || !target) {
        listingProblem = "a text argument is NULL";
        return;
    }
    const QString line =
        ListingEntryLine(QString::fromLatin1(name, static_cast<qsizetype>(strnlen(name, 256))),
                         size, month, day, year, hour, minute);
    if (line.size() != 80)
        listingProblem = "listing line of " + std::to_string(line.size()) + " columns";
}

// The options the client sends by default, for one archive and folder.
UnzipOptions DefaultOptions(const std::string& archive, const std::string& folder) {
    UnzipOptions options = ToUnzipOptions(UnzipSettings{});
    options.ZipFileName = archive.c_str();
    options.ExtractDir = folder.c_str();
    return options;
}

bool WriteArchive(const fs::path& path, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

std::string CheckFolder(const fs::path& root, const fs::path& folder) {
    for (const auto& item : fs::directory_iterator(root)) {
        const std::string name = item.path().filename().string();
        if (name != "in.zip" && name != "out")
            return "written beside the folder: " + name;
    }
    const std::string temporaryPrefix = ".uz-" + std::to_string(getpid()) + "-";
    const fs::path inside = fs::canonical(folder);
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        struct stat status {};
        if (lstat(it->path().c_str(), &status) != 0)
            return "vanished: " + it->path().string();
        const std::string name = it->path().filename().string();
        // The engine's temporaries are ".uz-PID-N" with N a counter; an entry may well be named
        // like the prefix, and the engine creates its temporaries exclusively beside such names.
        if (name.rfind(temporaryPrefix, 0) == 0 && name.size() > temporaryPrefix.size() &&
            name.find_first_not_of("0123456789", temporaryPrefix.size()) == std::string::npos)
            return "temporary left: " + it->path().string();
        if (S_ISLNK(status.st_mode)) {
            const fs::path target = fs::weakly_canonical(it->path(), error);
            if (!error && target.string().rfind(inside.string(), 0) != 0)
                return "link points out: " + it->path().string() + " -> " + target.string();
            error.clear();
        } else if (!S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
            return "special file: " + it->path().string();
        }
    }
    return {};
}

} // namespace

std::string ExtractStaysInside(const std::uint8_t* data, std::size_t size) {
    ScratchFolder scratch;
    if (scratch.path().empty())
        return {};
    const fs::path archive = scratch.path() / "in.zip";
    const fs::path folder = scratch.path() / "out";
    if (!WriteArchive(archive, data, size))
        return {};
    const std::string archiveText = archive.string();
    const std::string folderText = folder.string();
    const UnzipOptions options = DefaultOptions(archiveText, folderText);
    UnzipCallbacks callbacks{};
    callbacks.Print = &Quiet;
    callbacks.Replace = &AlwaysReplace;
    callbacks.Password = &FuzzPassword;
    const int32_t result = Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, &callbacks);
    if (result < UZ_OK || result > UZ_ARGUMENT)
        return "undocumented result code " + std::to_string(result);
    if (!fs::exists(folder))
        return {};
    return CheckFolder(scratch.path(), folder);
}

std::string ListingLinesStayEightyColumns(const std::uint8_t* data, std::size_t size) {
    ScratchFolder scratch;
    if (scratch.path().empty())
        return {};
    const fs::path archive = scratch.path() / "in.zip";
    if (!WriteArchive(archive, data, size))
        return {};
    const std::string archiveText = archive.string();
    const std::string folderText = (scratch.path() / "out").string();
    UnzipOptions options = DefaultOptions(archiveText, folderText);
    options.ExtractList = 1;
    UnzipCallbacks callbacks{};
    callbacks.Print = &Quiet;
    callbacks.Message = &CheckListing;
    listingProblem.clear();
    Wiz_SingleEntryUnzip(0, nullptr, 0, nullptr, &options, &callbacks);
    if (listingProblem.empty() && fs::exists(scratch.path() / "out"))
        listingProblem = "listing created the folder";
    return listingProblem;
}

} // namespace quillset::fuzz
