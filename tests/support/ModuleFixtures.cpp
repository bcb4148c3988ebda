#include "tests/support/ModuleFixtures.h"

#include "tests/support/Files.h"

#include <QProcess>
#include <QString>
#include <QThread>
#include <cstdint>
#include <sys/stat.h>

namespace quillset::test {

void WriteModuleProgram(const fs::path& folder, const std::string& version,
                        const std::string& markerFile) {
    fs::create_directories(folder);
    const fs::path program = folder / "EDITOR.EXE";
    WriteFile(program, "#!/bin/sh\necho " + version + " >> \"" + markerFile + "\"\n");
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
}

void WriteMarkedProgram(const fs::path& folder, const std::string& version) {
    WriteModuleProgram(folder, version, std::string("$") + kMarkerVariable);
}

std::string IncompressibleBytes(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed;
    for (char& ch : bytes) {
        state = state * 1103515245u + 12345u;
        ch = char(state >> 24);
    }
    return bytes;
}

void WriteModuleFiles(const fs::path& folder, const std::string& version) {
    WriteFile(folder / "README.TXT", "version " + version + "\n");
    fs::create_directories(folder / "DATA");
    WriteFile(folder / "DATA" / "TABLE.DAT", IncompressibleBytes(50'000, 12345));
}

bool DamageEntryData(const fs::path& archive, const std::string& entry, std::size_t from,
                     std::size_t to) {
    std::string bytes = ReadAll(archive);
    const std::size_t at = bytes.find(entry);
    if (at == std::string::npos)
        return false;
    for (std::size_t i = at + from; i < at + to && i < bytes.size(); ++i)
        bytes[i] = char(bytes[i] ^ 0x5a);
    return WriteFile(archive, bytes);
}

std::string DescribeEntry(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return "missing";
    if (S_ISLNK(info.st_mode))
        return "link to " + fs::read_symlink(path).string();
    if (S_ISDIR(info.st_mode))
        return "folder";
    if (!S_ISREG(info.st_mode))
        return "special";
    return std::string(info.st_mode & S_IXUSR ? "program " : "file ") +
           std::to_string(info.st_size) + " #" +
           std::to_string(std::hash<std::string>{}(ReadAll(path)));
}

ModuleSnapshot SnapshotOf(const fs::path& folder, const std::set<std::string>& ignored) {
    ModuleSnapshot snapshot;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().lexically_relative(folder).string();
        if (it.depth() == 0 && ignored.contains(name)) {
            it.disable_recursion_pending();
            continue;
        }
        snapshot[name] = DescribeEntry(it->path());
    }
    return snapshot;
}

std::string RunModuleProgram(const fs::path& folder, const fs::path& marker) {
    std::error_code ignored;
    fs::remove(marker, ignored);
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kMarkerVariable, QString::fromStdString(marker.string()));
    program.setProcessEnvironment(environment);
    program.start(QString::fromStdString((folder / "EDITOR.EXE").string()), {});
    program.waitForFinished(10'000);
    return ReadAll(marker);
}

std::string AwaitStarted(const fs::path& marker, const std::string& expected) {
    for (int i = 0; i < 500 && ReadAll(marker) != expected; ++i)
        QThread::msleep(10);
    return ReadAll(marker);
}

std::vector<std::string> AgentLeftovers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const QString name = QString::fromStdString(entry.path().filename().string());
        if (name.startsWith(QLatin1String(".tlupdater"), Qt::CaseInsensitive) ||
            name.contains(QLatin1String(".part-")) || name.startsWith(QLatin1String(".uz-")))
            found.push_back(entry.path().lexically_relative(folder).string());
    }
    return found;
}

} // namespace quillset::test
