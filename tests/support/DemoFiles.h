#pragma once

#include "tests/support/EnvironmentOverride.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>

namespace quillset::test {

// The folder the programs take for C:, as the test run sets it (the build's drive_c otherwise).
std::filesystem::path DriveC();
// A file of the demo pictures, by its path below QSET_DEMOS.
std::filesystem::path Demo(const char* relative);

// Points C: at a copy of the demo pictures of `folder` (below QSET_DEMOS) for as long as it
// lives, so that a test can replace or remove one of them.
class DemoDriveCopy {
public:
    explicit DemoDriveCopy(const QString& folder);
    QString picture(const QString& name) const;
    bool replace(const QString& name, const QByteArray& bytes) const;
    bool remove(const QString& name) const;

private:
    QTemporaryDir drive_;
    QString pictures_;
    std::optional<EnvironmentOverride> driveC_;
};

} // namespace quillset::test
