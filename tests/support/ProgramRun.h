#pragma once

#include <QString>
#include <QStringList>
#include <sys/resource.h>
#include <utility>
#include <vector>

namespace quillset::test {

// One run of a real program of the suite and what it said.
struct ProgramRun {
    int exitCode = -1; // -1 when it crashed or did not end
    QString out, err;
};

// Runs QUILLSET_BIN_DIR/`program` with message boxes answered unattended, the test's
// environment plus `environment`, and no print queue named. A `fileSizeLimit` in bytes is set
// on the child alone (RLIMIT_FSIZE), which makes any write past it fail as on a full disk.
ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const std::vector<std::pair<QString, QString>>& environment = {},
                      rlim_t fileSizeLimit = RLIM_INFINITY);

} // namespace quillset::test
