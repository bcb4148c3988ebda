#pragma once

#include <QProcess>
#include <QStringList>

namespace quillset::testing {

// One run of a TLUPDATER program unattended and headless: what it wrote, line by line.
struct AgentRun {
    QStringList lines;
    QStringList errorLines; // standard error: the failure log's lines
    int exitCode = -1;
    bool finished = false;
    // Ended by a signal (its own stop point, or one the test sent), rather than by itself.
    bool crashed = false;
};

// The environment of an unattended, headless run; `settings` holds NAME=VALUE texts added to
// the test's own environment.
inline QProcessEnvironment AgentEnvironment(const QStringList& settings) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLSET_UNATTENDED"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString& setting : settings)
        environment.insert(setting.section(QLatin1Char('='), 0, 0),
                           setting.section(QLatin1Char('='), 1));
    return environment;
}

// Waits for a started agent; one still running after `timeoutMs` is killed (finished false).
inline AgentRun FinishAgent(QProcess& process, int timeoutMs) {
    AgentRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = process.exitCode();
    run.crashed = run.finished && process.exitStatus() == QProcess::CrashExit;
    run.lines = QString::fromUtf8(process.readAllStandardOutput())
                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errorLines = QString::fromUtf8(process.readAllStandardError())
                         .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

inline AgentRun RunAgent(const QString& program, const QStringList& arguments,
                         const QStringList& settings = {}, int timeoutMs = 60'000) {
    QProcess process;
    process.setProcessEnvironment(AgentEnvironment(settings));
    process.start(program, arguments);
    return FinishAgent(process, timeoutMs);
}

} // namespace quillset::testing
