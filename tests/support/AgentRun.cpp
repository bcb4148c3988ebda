#include "tests/support/AgentRun.h"

namespace quillset::test {

QProcessEnvironment AgentEnvironment(const QStringList& settings) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUILLSET_UNATTENDED"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString& setting : settings)
        environment.insert(setting.section(QLatin1Char('='), 0, 0),
                           setting.section(QLatin1Char('='), 1));
    return environment;
}

AgentRun FinishAgent(QProcess& process, int timeoutMs) {
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

AgentRun RunAgent(const QString& program, const QStringList& arguments, const QStringList& settings,
                  int timeoutMs) {
    QProcess process;
    process.setProcessEnvironment(AgentEnvironment(settings));
    process.start(program, arguments);
    return FinishAgent(process, timeoutMs);
}

QStringList FailingFileCall(const char* call, const std::filesystem::path& place) {
    return {QStringLiteral("LD_PRELOAD=" QUILLSET_FAILING_FILE_CALLS),
            QStringLiteral("QUILLSET_FAILING_CALL=") + QLatin1String(call),
            QStringLiteral("QUILLSET_FAILING_PATH=") + QString::fromStdString(place.string()),
            // A sanitizer build wants its runtime first among the preloads.
            QStringLiteral("ASAN_OPTIONS=") + qEnvironmentVariable("ASAN_OPTIONS") +
                QStringLiteral(":verify_asan_link_order=0")};
}

} // namespace quillset::test
