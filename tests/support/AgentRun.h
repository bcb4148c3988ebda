#pragma once

#include <QProcess>
#include <QStringList>

namespace quillset::test {

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
QProcessEnvironment AgentEnvironment(const QStringList& settings);

// Waits for a started agent; one still running after `timeoutMs` is killed (finished false).
AgentRun FinishAgent(QProcess& process, int timeoutMs);

AgentRun RunAgent(const QString& program, const QStringList& arguments,
                  const QStringList& settings = {}, int timeoutMs = 60'000);

} // namespace quillset::test
