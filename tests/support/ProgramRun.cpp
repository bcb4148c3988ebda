#include "tests/support/ProgramRun.h"

#include <QProcess>

namespace quillset::test {

ProgramRun RunProgram(const QString& program, const QStringList& arguments,
                      const std::vector<std::pair<QString, QString>>& environment,
                      rlim_t fileSizeLimit) {
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
