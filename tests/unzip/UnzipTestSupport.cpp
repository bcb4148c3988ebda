#include "tests/unzip/UnzipTestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace quillset::test {

Scratch::Scratch() {
    fs::create_directories(dest());
}

bool HaveTool(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

int RunTool(const QString& program, const QStringList& arguments, const fs::path& workFolder) {
    QProcess process;
    if (!workFolder.empty())
        process.setWorkingDirectory(QString::fromStdString(workFolder.string()));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(120000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool MakeArchive(const std::string& kind, const fs::path& out) {
    // Every kind is written once per test program: one Python start instead of one per test.
    static const QTemporaryDir made;
    static const bool allMade =
        made.isValid() &&
        RunTool(QStringLiteral("python3"),
                {QStringLiteral(QUILLSET_SOURCE_DIR "/tests/unzip/make_archive.py"),
                 QStringLiteral("--all"), made.path()}) == 0;
    const fs::path source = fs::path(made.path().toStdString()) / (kind + ".zip");
    std::error_code error;
    return allMade && fs::copy_file(source, out, fs::copy_options::overwrite_existing, error);
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void SetModified(const fs::path& path, long long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

long long Modified(const fs::path& path) {
    struct stat status {};
    lstat(path.c_str(), &status);
    return status.st_mtime;
}

std::vector<std::string> TreeBelow(const fs::path& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        paths.push_back(it->path().lexically_relative(folder).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace quillset::test
