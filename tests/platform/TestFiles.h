#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdlib>
#include <filesystem>

namespace quillset::test {

inline std::filesystem::path DriveC() {
    const char* folder = std::getenv("QUILLSET_DRIVE_C");
    return folder ? std::filesystem::path(folder)
                  : std::filesystem::path(QUILLSET_BIN_DIR) / "drive_c";
}

inline std::filesystem::path Demo(const char* relative) {
    return DriveC() / "QSET_DEMOS" / relative;
}

inline QByteArray ReadAll(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace quillset::test
