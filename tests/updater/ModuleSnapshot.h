#pragma once

#include <QString>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quillset::testing {

// What a module folder holds, path by path: a file's kind, executable bit, size and a digest of
// its bytes, a link's target, or a folder. Two versions of a module compare as snapshots.
using ModuleSnapshot = std::map<std::string, std::string>;

inline std::string describeEntry(const std::filesystem::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return "missing";
    if (S_ISLNK(info.st_mode))
        return "link to " + std::filesystem::read_symlink(path).string();
    if (S_ISDIR(info.st_mode))
        return "folder";
    if (!S_ISREG(info.st_mode))
        return "special";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return std::string(info.st_mode & S_IXUSR ? "program " : "file ") +
           std::to_string(info.st_size) + " #" +
           std::to_string(std::hash<std::string>{}(bytes.str()));
}

// The snapshot of `folder`, leaving out the top-level names in `ignored`.
inline ModuleSnapshot SnapshotOf(const std::filesystem::path& folder,
                                 const std::set<std::string>& ignored = {}) {
    ModuleSnapshot snapshot;
    for (auto it = std::filesystem::recursive_directory_iterator(folder);
         it != std::filesystem::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(folder).string();
        if (it.depth() == 0 && ignored.contains(name)) {
            it.disable_recursion_pending();
            continue;
        }
        snapshot[name] = describeEntry(it->path());
    }
    return snapshot;
}

// Temporaries and working files of the agent: its hidden names in any case, partial transfers
// and the engine's temporaries, anywhere in the module.
inline std::vector<std::string> AgentLeftovers(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const QString name = QString::fromStdString(entry.path().filename().string());
        if (name.startsWith(QLatin1String(".tlupdater"), Qt::CaseInsensitive) ||
            name.contains(QLatin1String(".part-")) || name.startsWith(QLatin1String(".uz-")))
            found.push_back(entry.path().lexically_relative(folder).string());
    }
    return found;
}

} // namespace quillset::testing
