#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

namespace quillset::test {

namespace fs = std::filesystem;

// A scratch folder for one test: archives go in its root, extraction into dest/.
class Scratch {
public:
    Scratch();
    fs::path root() const { return fs::path(dir_.path().toStdString()); }
    fs::path dest() const { return root() / "dest"; }
    QString text(const fs::path& path) const { return QString::fromStdString(path.string()); }

private:
    QTemporaryDir dir_;
};

bool HaveTool(const QString& program);
// Runs a tool without a shell; answers its exit code (-1 when it could not start).
int RunTool(const QString& program, const QStringList& arguments, const fs::path& workFolder = {});
// Writes an archive of a kind of tests/unzip/make_archive.py; true when it was written.
bool MakeArchive(const std::string& kind, const fs::path& out);

void WriteFile(const fs::path& path, const std::string& bytes);
std::string ReadFile(const fs::path& path);
// Sets a file's modification time (seconds since the epoch), not following links.
void SetModified(const fs::path& path, long long seconds);
long long Modified(const fs::path& path);

// Every path below `folder`, relative, sorted; links are listed, not followed.
std::vector<std::string> TreeBelow(const fs::path& folder);

} // namespace quillset::test
