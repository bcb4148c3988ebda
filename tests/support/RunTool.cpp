#include "tests/support/RunTool.h"

#include <QProcess>
#include <QStandardPaths>

namespace quillset::test {

bool HaveTool(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

int RunTool(const QString& program, const QStringList& arguments,
            const std::filesystem::path& workFolder) {
    QProcess process;
    if (!workFolder.empty())
        process.setWorkingDirectory(QString::fromStdString(workFolder.string()));
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(120000))
        return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace quillset::test
