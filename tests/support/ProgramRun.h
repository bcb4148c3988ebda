#pragma once

#include <QProcess>
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
inline ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                             const std::vector<std::pair<QString, QString>>& environment = {},
                             rlim_t fileSizeLimit = RLIM_INFINITY) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLSET_UNATTENDED", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("QUILLSET_PRINTER");
    for (const auto& [name, value] : environment)
        env.insert(name, value);
    process.setProcessEnvironment(env);
    if (fileSizeLimit != RLIM_INFINITY) {
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    process.start(QStringLiteral(QUILLSET_BIN_DIR "/") + program, arguments);
    const bool ended = process.waitForFinished(60000);
    if (!ended)
        process.kill(), process.waitForFinished();
    return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace quillset::test
