#pragma once

#include <QProcess>
#include <QStringList>
#include <filesystem>

namespace quillset::testing {

// One run of a TLUPDATER program unattended and headless: what it wrote, line by line.
struct AgentRun {
    QStringList lines;
    int exitCode = -1;
    bool finished = false;
};

inline AgentRun RunAgent(const QString& program, const QStringList& arguments,
                         int timeoutMs = 60'000) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLSET_UNATTENDED"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    AgentRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.lines = QString::fromUtf8(process.readAllStandardOutput())
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

} // namespace quillset::testing
