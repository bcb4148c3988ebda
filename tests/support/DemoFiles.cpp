#include "tests/support/DemoFiles.h"

#include <QDir>
#include <QFile>
#include <cstdlib>

namespace quillset::test {

std::filesystem::path DriveC() {
    const char* folder = std::getenv("QUILLSET_DRIVE_C");
    return folder ? std::filesystem::path(folder)
                  : std::filesystem::path(QUILLSET_BIN_DIR) / "drive_c";
}

std::filesystem::path Demo(const char* relative) {
    return DriveC() / "QSET_DEMOS" / relative;
}

DemoDriveCopy::DemoDriveCopy(const QString& folder)
    : pictures_(drive_.path() + "/QSET_DEMOS/" + folder) {
    const QDir source(QString::fromStdString((DriveC() / "QSET_DEMOS").string()) + "/" + folder);
    QDir().mkpath(pictures_);
    for (const QString& name : source.entryList(QDir::Files))
        QFile::copy(source.filePath(name), picture(name));
    driveC_.emplace("QUILLSET_DRIVE_C", drive_.path().toLocal8Bit());
}

QString DemoDriveCopy::picture(const QString& name) const {
    return pictures_ + "/" + name;
}

bool DemoDriveCopy::replace(const QString& name, const QByteArray& bytes) const {
    QFile file(picture(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool DemoDriveCopy::remove(const QString& name) const {
    return QFile::remove(picture(name));
}

} // namespace quillset::test
