#pragma once

#include <QByteArray>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillset::test {

namespace fs = std::filesystem;

// A file's bytes; empty when it cannot be read.
std::string ReadAll(const fs::path& path);
QByteArray ReadAll(const QString& path);
// Writes `bytes` as the whole file, making its folder first; true when every byte was written.
bool WriteFile(const fs::path& path, std::string_view bytes);
bool WriteFile(const QString& path, const QByteArray& bytes);

// The names directly in `folder`, sorted.
std::vector<std::string> Entries(const fs::path& folder);
// Every path below `folder`, relative, sorted; links are listed, not followed.
std::vector<std::string> TreeBelow(const fs::path& folder);

// Sets a file's modification time (seconds since the epoch), not following links.
void SetModified(const fs::path& path, long long seconds);
long long Modified(const fs::path& path);

// Pins a file so that not even its owner or root can move it, or lets it go again (chattr).
bool SetImmutable(const fs::path& file, bool pinned);

inline QString PathText(const fs::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace quillset::test
