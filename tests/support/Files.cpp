#include "tests/support/Files.h"

#include <QFile>
#include <QProcess>
#include <algorithm>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace quillset::test {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const fs::path& path, std::string_view bytes) {
    std::error_code ignored;
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ignored);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(out.flush());
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    return WriteFile(fs::path(path.toStdString()),
                     std::string_view(bytes.constData(), bytes.size()));
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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

void SetModified(const fs::path& path, long long seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

long long Modified(const fs::path& path) {
    struct stat status {};
    lstat(path.c_str(), &status);
    return status.st_mtime;
}

bool SetImmutable(const fs::path& file, bool pinned) {
    QProcess chattr;
    chattr.start("chattr", {pinned ? "+i" : "-i", QString::fromStdString(file.string())});
    return chattr.waitForFinished(10'000) && chattr.exitStatus() == QProcess::NormalExit &&
           chattr.exitCode() == 0;
}

} // namespace quillset::test
