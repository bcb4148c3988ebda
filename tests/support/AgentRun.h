#pragma once

#include <QProcess>
#include <QStringList>
#include <filesystem>

namespace quillset::test {

// What an unattended agent prints, as a user reads it: the closing messages and the status
// of an agent waiting for another's update.
inline const QString kUpdated = QStringLiteral("[TLUPDATER] Software updated succesfully!");
inline const QString kNotUpdated =
    QStringLiteral("[TLUPDATER] The software could not be updated. Please try again later.");
inline const QString kUpToDate =
    QStringLiteral("[TLUPDATER] You have the latest version of the software.");
inline const QString kWaiting =
    QStringLiteral("Status: Waiting for another update of this module to end...");

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

// The settings of a run in which `call` (fsync, close or unlinkat) fails at `place` and below
// it, as the preloaded tests/support/FailingFileCalls.cpp makes it.
QStringList FailingFileCall(const char* call, const std::filesystem::path& place);

AgentRun RunAgent(const QString& program, const QStringList& arguments,
                  const QStringList& settings = {}, int timeoutMs = 60'000);

} // namespace quillset::test
