#pragma once

#include <QProcess>
#include <QStringList>

namespace quillset::testing {

// One run of a TLUPDATER program unattended and headless: what it wrote, line by line.
struct AgentRun {
    QStringList lines;
    int exitCode = -1;
    bool finished = false;
};

// `settings` holds NAME=VALUE texts added to the test's own environment.
inline AgentRun RunAgent(const QString& program, const QStringList& arguments,
                         const QStringList& settings = {}, int timeoutMs = 60'000) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLSET_UNATTENDED"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString& setting : settings)
        environment.insert(setting.section(QLatin1Char('='), 0, 0),
                           setting.section(QLatin1Char('='), 1));
    QProcess process;
    process.setProcessEnvironment(environment);
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
