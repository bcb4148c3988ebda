// Crashes, signals and rivals against the real agent: it is killed with SIGKILL at every named
// stop point of the download, the unpack, the swap and the recovery and at timed points, ended
// by the ending signals, and started three at a time on one module. Each time the module must be
// whole, the old version or the new, its program a regular executable that runs, and no
// temporary may remain.
#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"
#include "tests/support/ModuleFixtures.h"

#include <QElapsedTimer>
#include <csignal>
#include <iostream>
#include <limits>
#include <sys/wait.h>
#include <vector>

namespace quillset::test {
namespace {

// The agent's local copies of the server files; a killed run may leave them, the next deletes them.
const std::set<std::string> kLocalCopies{"EDITOR.VER", "EDITOR.ZIP"};

// Waits until a started agent has stopped (SIGSTOP) without reaping it: QProcess still collects
// the exit. False when it ended instead.
bool AwaitStop(pid_t process) {
    siginfo_t info{};
    return ::waitid(P_PID, id_t(process), &info, WSTOPPED | WEXITED | WNOWAIT) == 0 &&
           info.si_code == CLD_STOPPED;
}

// Stops a started agent where it stands, so that a signal sent next reaches a live agent and
// not one that ends by itself in between; false when it had already ended (reaped or not).
bool StopAgent(pid_t process) {
    ::kill(process, SIGSTOP);
    return AwaitStop(process);
}

// A run ended by an ending signal.
struct SignalRow {
    const char* name;
    int signalNumber;
    QStringList serverRules;
    int afterMs = 0;               // sent this long after the start, wherever the agent is; or
    const char* stopAt = nullptr;  // sent while the agent waits, stopped, at this stop point
    const char* version = nullptr; // the version the module must hold then; none: either
    const char* failAt = nullptr;  // a fail point that sends the run down its failure path
    // A folder of the staged tree whose files cannot be removed, as if immutable.
    const char* unremovable = nullptr;
};

class CrashSafety : public AgentEndToEnd {
protected:
    void SetUp() override {
        AgentEndToEnd::SetUp();
        const fs::path root = fs::path(treesRoot.path().toStdString());
        oldTree = root / "old";
        newTree = root / "new";
        WriteMarkedProgram(oldTree, "1.0");
        WriteFile(oldTree / "README.TXT", "version 1.0\n");
        WriteFile(oldTree / "BIG.DAT", "the old big file\n");
        fs::create_directories(oldTree / "DATA");
        WriteFile(oldTree / "DATA" / "TABLE.DAT", "old table\n");
        WriteFile(oldTree / "DATA" / "USER.CFG", "the user's own settings\n");

        WriteMarkedProgram(newTree, "2.0");
        WriteFile(newTree / "README.TXT", "version 2.0\n");
        // The large entry: incompressible, so its unpack and its transfer take a while.
        WriteFile(newTree / "BIG.DAT", IncompressibleBytes(bigEntryBytes, 2024));
        fs::create_directories(newTree / "DATA");
        fs::create_directories(newTree / "LIB");
        WriteFile(newTree / "DATA" / "TABLE.DAT", "new table\n");
        WriteFile(newTree / "DATA" / "NEW.DAT", "new in 2.0\n");
        WriteFile(newTree / "LIB" / "A.SO", "library a\n");
        WriteFile(newTree / "LIB" / "B.SO", "library b\n");
        publish(newTree, "2.0");

        // The whole new module: the old one with the archive's files over it.
        const fs::path expected = root / "expected";
        fs::copy(oldTree, expected, fs::copy_options::recursive);
        fs::copy(newTree, expected,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        oldSnapshot = SnapshotOf(oldTree);
        newSnapshot = SnapshotOf(expected);
        ASSERT_NE(oldSnapshot, newSnapshot);
    }

    void resetModule() {
        fs::remove_all(moduleFolder());
        fs::copy(oldTree, moduleFolder(), fs::copy_options::recursive);
    }
    QStringList settings(const QStringList& more = {}) const {
        return QStringList{"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so",
                           QString(kMarkerVariable) + "=" +
                               QString::fromStdString((markerFolder() / "started").string())} +
               more;
    }
    AgentRun run(const QString& stopAt = {}) const {
        return runAgent("1.0", settings(stopAt.isEmpty()
                                            ? QStringList{}
                                            : QStringList{"QUILLSET_TEST_STOP_AT=" + stopAt}));
    }
    // Thirty folders inside each other in the new version: the clean-up of a signal must reach
    // every depth. And eighty side by side, more than the clean-up remembers as stuck.
    void publishDeepTree() {
        fs::path deep = newTree / "DEEP";
        for (int level = 1; level <= 30; ++level)
            deep /= "LEVEL" + std::to_string(level);
        WriteFile(deep / "BOTTOM.TXT", "thirty folders down\n");
        for (int i = 0; i < 80; ++i)
            WriteFile(newTree / "WIDE" / ("F" + std::to_string(i)) / "ONE.TXT", "one\n");
        publish(newTree, "2.0");
        const fs::path expected = fs::path(treesRoot.path().toStdString()) / "expected";
        fs::copy(newTree, expected, fs::copy_options::recursive | fs::copy_options::skip_existing);
        newSnapshot = SnapshotOf(expected);
    }
    // Ends a run by the row's signal and checks what it left and that the next run updates.
    void endBySignal(const SignalRow& row) {
        SCOPED_TRACE(row.name);
        server.reset(); // the last row's, should it have stopped short of its own reset
        startServer(row.serverRules);
        resetModule();
        QStringList more;
        if (row.stopAt)
            more << "QUILLSET_TEST_STOP_AT=" + QString::fromLatin1(row.stopAt) + ":SIGSTOP";
        if (row.failAt)
            more << "QUILLSET_TEST_FAIL_AT=" + QString::fromLatin1(row.failAt);
        if (row.unremovable)
            more << FailingFileCall("unlinkat", fs::canonical(moduleFolder()) /
                                                    ".tlupdater-staging" / row.unremovable);
        QProcess agent;
        agent.setProcessEnvironment(AgentEnvironment(settings(more)));
        agent.start(kProgram, commandLine("1.0"));
        const pid_t process = pid_t(agent.processId());
        if (row.stopAt) {
            ASSERT_TRUE(AwaitStop(process)) << row.stopAt << " was never reached";
        } else if (agent.waitForFinished(row.afterMs) || !StopAgent(process)) {
            // An agent that has already ended, even one not yet reaped, cannot take the signal.
            server.reset();
            return; // the run ended before the signal: nothing to see
        }
        // Sent while it is stopped, the signal is the first thing the agent meets as it goes on.
        ::kill(process, row.signalNumber);
        ::kill(process, SIGCONT);
        const AgentRun ended = FinishAgent(agent, 30'000);
        ASSERT_TRUE(ended.finished) << "the agent did not end";
        EXPECT_TRUE(ended.crashed) << "ended by the signal's own default action";
        const int failuresBefore = failuresSoFar();
        if (row.unremovable) {
            // What could not be removed stays for the next start; the module is the old one.
            std::set<std::string> ignored = kLocalCopies;
            ignored.insert(".tlupdater-staging");
            EXPECT_EQ(SnapshotOf(moduleFolder(), ignored), oldSnapshot);
        } else if (const std::string version = expectWholeModule("right after the signal");
                   row.version) {
            EXPECT_EQ(version, row.version);
        }
        // The lock went with the agent: the next run neither waits nor finds anything to undo.
        // It fetches at full speed: the row's slow server was for the signal's moment only.
        if (!row.serverRules.isEmpty()) {
            server.reset();
            startServer();
        }
        const AgentRun next = run();
        EXPECT_TRUE(next.finished && !next.crashed);
        EXPECT_FALSE(next.lines.contains(kWaiting));
        EXPECT_TRUE(next.lines.contains(kUpdated)) << next.errorLines.join('\n').toStdString();
        EXPECT_EQ(expectWholeModule("after the next run"), "2.0");
        ++tried;
        survived += failuresSoFar() == failuresBefore ? 1 : 0;
        server.reset();
    }
    fs::path markerFolder() const { return fs::path(markerRoot.path().toStdString()); }
    std::string runProgramFile() const {
        return RunModuleProgram(moduleFolder(), markerFolder() / "check");
    }
    // The promise: the whole old or the whole new version, a program that runs and is the
    // version's own, no temporary. Answers the version found, or "" when the module is broken.
    std::string expectWholeModule(const std::string& when) {
        SCOPED_TRACE(when);
        const ModuleSnapshot now = SnapshotOf(moduleFolder(), kLocalCopies);
        const std::string version = now == oldSnapshot   ? "1.0"
                                    : now == newSnapshot ? "2.0"
                                                         : std::string();
        EXPECT_FALSE(version.empty()) << "the module mixes versions or lost files";
        EXPECT_EQ(AgentLeftovers(moduleFolder()), std::vector<std::string>{});
        EXPECT_EQ(DescribeEntry(moduleFolder() / "EDITOR.EXE").substr(0, 8), "program ");
        if (!version.empty()) {
            EXPECT_EQ(runProgramFile(), version + "\n");
        }
        return version;
    }
    // After a kill: the next start recovers at once (stopped right after), then a whole run
    // brings the new version. Counts the kill as survived when every check held.
    void expectRecoveryAfterKill(const std::string& label) {
        SCOPED_TRACE(label);
        const int failuresBefore = failuresSoFar();
        const AgentRun recovering = run(QStringLiteral("recovered"));
        EXPECT_TRUE(recovering.crashed) << "the next start did not reach its recovery";
        expectWholeModule("after the recovery");
        const AgentRun whole = run();
        EXPECT_TRUE(whole.finished && !whole.crashed);
        EXPECT_TRUE(whole.lines.contains(kUpdated)) << whole.errorLines.join('\n').toStdString();
        EXPECT_EQ(expectWholeModule("after one more run"), "2.0");
        for (const std::string& copy : kLocalCopies)
            EXPECT_FALSE(fs::exists(moduleFolder() / copy)) << copy;
        survived += failuresSoFar() == failuresBefore ? 1 : 0;
        ++tried;
    }
    // Failed checks of the running test so far: a kill point survived adds none.
    static int failuresSoFar() {
        return ::testing::UnitTest::GetInstance()
            ->current_test_info()
            ->result()
            ->total_part_count();
    }
    void TearDown() override {
        if (tried > 0)
            std::cout << "kill points: " << tried << " tried, " << survived << " survived ("
                      << ::testing::UnitTest::GetInstance()->current_test_info()->name() << ")"
                      << std::endl;
    }

    QTemporaryDir treesRoot;
    QTemporaryDir markerRoot;
    fs::path oldTree;
    fs::path newTree;
    ModuleSnapshot oldSnapshot;
    ModuleSnapshot newSnapshot;
    int tried = 0;
    int survived = 0;
    // Long enough for kills at timed points and by signals to land inside the transfer and the
    // unpack.
    std::size_t bigEntryBytes = 24 << 20;
};

// Stop points of one stage of a run; the stages run as ctest entries of their own.
struct StopPoints {
    const char* name; // the stage
    std::vector<const char*> points;
};

// Kills at named stop points only: a stop point is reached whatever the size, so a smaller large
// entry spares each of the many runs the long transfer and unpack.
class CrashAtNamedPoints : public CrashSafety {
protected:
    CrashAtNamedPoints() { bigEntryBytes = 2 << 20; }
};

class CrashAtStopPoints : public CrashAtNamedPoints,
                          public ::testing::WithParamInterface<StopPoints> {};

// Every stop point, at each of its passages in one run: "swap-step#4" is the fourth step.
TEST_P(CrashAtStopPoints, KillAtEveryStopPointLeavesAWholeModule) {
    startServer();
    for (const char* point : GetParam().points) {
        for (int passage = 1;; ++passage) {
            const QString stopAt = QString::fromLatin1(point) + "#" + QString::number(passage);
            resetModule();
            const AgentRun killed = run(stopAt);
            ASSERT_TRUE(killed.finished) << stopAt.toStdString();
            if (!killed.crashed) {
                // Past the last passage the run completes the update.
                EXPECT_GT(passage, 1) << point << " was never reached";
                EXPECT_EQ(expectWholeModule(stopAt.toStdString() + " never reached"), "2.0");
                break;
            }
            expectRecoveryAfterKill(stopAt.toStdString());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agent, CrashAtStopPoints,
    ::testing::Values(StopPoints{"Download", {"transfer-started", "archive-fetched"}},
                      StopPoints{"Unpack", {"unpack-started", "unpack-entry", "unpack-done"}},
                      StopPoints{"Swap", {"journal-written", "swap-step"}},
                      StopPoints{"Commit", {"swap-done", "committed", "cleanup"}}),
    CaseName());

// A kill, and a second kill while the next start undoes or finishes what the first left.
TEST_F(CrashAtNamedPoints, KillDuringTheRecoveryIsRecoveredNextTime) {
    struct Row {
        const char* name;
        const char* first;
        const char* second;
    };
    const Row rows[] = {
        {"UndoOfAReplacedProgramCutShort", "swap-step#2", "undo-step#1"},
        {"UndoHalfDoneCutShortAgain", "swap-step#5", "undo-step#3"},
        {"UndoOfTheLastStepCutShort", "swap-done", "undo-step#1"},
        {"CleanUpAfterCommitCutShort", "committed", "cleanup"},
        {"LeftoverStagingRemovalCutShort", "unpack-entry#3", "cleanup"},
    };
    startServer();
    for (const Row& row : rows) {
        resetModule();
        ASSERT_TRUE(run(row.first).crashed) << row.name;
        ASSERT_TRUE(run(row.second).crashed) << row.name << ": the recovery never got there";
        expectRecoveryAfterKill(row.name);
    }
}

// A folder put in place of one the agent works in, between two of its steps: the agent goes on
// with the folder it opened or answers the failure, never uses the one put at the name, writes
// nothing outside and installs nothing it did not unpack and check.
TEST_F(CrashAtNamedPoints, FolderReplacedBetweenTwoStepsIsNeverUsed) {
    struct Row {
        const char* name;
        const char* stopAt;
        bool staging; // the staging folder replaced, else the module folder
        const char* logged;
    };
    const Row rows[] = {
        {"ModuleFolderAfterTheClaim", "recovered", false, "is no longer the folder updated"},
        {"StagingFolderAfterTheUnpack", "unpack-done", true, "was replaced after the unpack"},
    };
    QTemporaryDir outsideRoot;
    const fs::path outside = fs::path(outsideRoot.path().toStdString()) / "outside";
    const fs::path taken = moduleFolder().parent_path() / "taken";
    startServer();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(outside);
        WriteFile(outside / "secret.txt", "outside the module");
        WriteMarkedProgram(outside, "9.9");
        const ModuleSnapshot outsideBefore = SnapshotOf(outside);
        resetModule();
        fs::remove(markerFolder() / "started");
        QProcess agent;
        agent.setProcessEnvironment(AgentEnvironment(
            settings({"QUILLSET_TEST_STOP_AT=" + QString::fromLatin1(row.stopAt) + ":SIGSTOP"})));
        agent.start(kProgram, commandLine("1.0"));
        ASSERT_TRUE(AwaitStop(pid_t(agent.processId()))) << row.stopAt << " was never reached";
        const fs::path place = row.staging ? moduleFolder() / ".tlupdater-staging" : moduleFolder();
        fs::rename(place, taken);
        if (row.staging)
            fs::copy(outside, place, fs::copy_options::recursive);
        else
            fs::create_directory_symlink(outside, place);
        ::kill(pid_t(agent.processId()), SIGCONT);
        const AgentRun ended = FinishAgent(agent, 30'000);
        ASSERT_TRUE(ended.finished && !ended.crashed);
        EXPECT_EQ(SnapshotOf(outside), outsideBefore) << "nothing outside the module changes";
        EXPECT_TRUE(ended.errorLines.join('\n').contains(row.logged))
            << ended.errorLines.join('\n').toStdString();
        if (row.staging) {
            EXPECT_TRUE(ended.lines.contains(kNotUpdated));
            EXPECT_EQ(expectWholeModule("with the staging folder replaced"), "1.0");
            fs::remove_all(taken);
            continue;
        }
        EXPECT_FALSE(fs::exists(markerFolder() / "started")) << "nothing was started";
        fs::remove(moduleFolder());
        fs::rename(taken, moduleFolder());
        EXPECT_EQ(expectWholeModule("in the folder claimed"), "2.0");
    }
}

// The start-up removal of a large staging folder an earlier run left takes a while; an ending
// signal then ends the agent at once, and the next start goes on with what is left.
TEST_F(CrashAtNamedPoints, EndingSignalInTheStartUpRemovalIsNotHeld) {
    startServer();
    resetModule();
    for (int i = 0; i < 2000; ++i)
        WriteFile(moduleFolder() / ".tlupdater-staging" / ("F" + std::to_string(i)), "left");
    QProcess agent;
    agent.setProcessEnvironment(
        AgentEnvironment(settings({"QUILLSET_TEST_STOP_AT=cleanup:SIGSTOP"})));
    agent.start(kProgram, commandLine("1.0"));
    const pid_t process = pid_t(agent.processId());
    ASSERT_TRUE(AwaitStop(process)) << "the start-up removal was never reached";
    ::kill(process, SIGTERM);
    ::kill(process, SIGCONT);
    const AgentRun ended = FinishAgent(agent, 30'000);
    ASSERT_TRUE(ended.finished);
    EXPECT_TRUE(ended.crashed) << "ended by the signal's own default action";
    EXPECT_GT(Entries(moduleFolder() / ".tlupdater-staging").size(), 1000u)
        << "the removal went on before the signal was acted on";
    const AgentRun next = run();
    EXPECT_TRUE(next.lines.contains(kUpdated)) << next.errorLines.join('\n').toStdString();
    EXPECT_EQ(expectWholeModule("after the next run"), "2.0");
}

// Kills with no say of the agent's: wherever the run happens to be at that moment.
TEST_F(CrashSafety, KillAtTimedPointsLeavesAWholeModule) {
    startServer();
    int killedRuns = 0;
    // The test agent starts its cycle 10 ms after loading.
    for (int afterMs = 100; afterMs <= 1500; afterMs += 100) {
        resetModule();
        QProcess agent;
        agent.setProcessEnvironment(AgentEnvironment(settings()));
        agent.start(kProgram, commandLine("1.0"));
        const AgentRun killed = FinishAgent(agent, afterMs);
        if (killed.finished)
            continue; // the run ended before the kill: nothing to recover
        ++killedRuns;
        expectRecoveryAfterKill("killed after " + std::to_string(afterMs) + " ms");
    }
    EXPECT_GT(killedRuns, 0);
}

// SIGTERM, SIGINT and SIGHUP end the agent without a further run needed, at every step: the
// transfer's temporary and the staging folder go, however deep, and a swap or a recovery under
// way completes first. The module stays whole, its lock is free, and the next run updates it.
// Timed: wherever the agent happens to be, with the large entry to land in.
TEST_F(CrashSafety, EndingSignalsDuringTheTransferLeaveNoTemporary) {
    const QStringList slowArchive{"--rule", "EDITOR.ZIP=slow=4000000"};
    const SignalRow rows[] = {
        {"TermDuringTheArchiveTransfer", SIGTERM, slowArchive, 1500},
        {"IntDuringTheArchiveTransfer", SIGINT, slowArchive, 1500},
        {"HupDuringTheArchiveTransfer", SIGHUP, slowArchive, 1500},
    };
    publishDeepTree();
    for (const SignalRow& row : rows)
        endBySignal(row);
    EXPECT_EQ(tried, 3) << "the slow transfer was still running at every signal";
}

// The same, later in a run at full speed: in the unpack, the swap or after. The moments are
// fractions of a whole run timed on this machine first, so they land inside a run whatever the
// machine's speed.
TEST_F(CrashSafety, EndingSignalsLaterInTheRunLeaveNoTemporary) {
    publishDeepTree();
    startServer();
    qint64 wholeMs = std::numeric_limits<qint64>::max(); // the quicker of two whole runs
    for (int round = 0; round < 2; ++round) {
        resetModule();
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(run().lines.contains(kUpdated));
        wholeMs = std::min(wholeMs, clock.elapsed());
    }
    const auto at = [wholeMs](int percent) { return int(wholeMs * percent / 100); };
    const SignalRow rows[] = {
        {"TermEarly", SIGTERM, {}, at(30)}, {"HupSoonAfter", SIGHUP, {}, at(45)},
        {"TermLater", SIGTERM, {}, at(60)}, {"IntLater", SIGINT, {}, at(70)},
        {"TermLate", SIGTERM, {}, at(80)},
    };
    for (const SignalRow& row : rows)
        endBySignal(row);
    EXPECT_GE(tried, 3) << "the signals came after the runs had ended";
}

// At every step: the agent stopped at each stop point, then signalled.
TEST_F(CrashAtNamedPoints, EndingSignalAtEveryStopPointEndsTheAgent) {
    const SignalRow rows[] = {
        {"TermAtTheRecovery", SIGTERM, {}, 0, "recovered", "1.0"},
        {"TermAtTheVersionTransfer", SIGTERM, {}, 0, "transfer-started#1", "1.0"},
        {"TermAtTheArchiveTransfer", SIGTERM, {}, 0, "transfer-started#2", "1.0"},
        {"TermWithTheArchiveFetched", SIGTERM, {}, 0, "archive-fetched", "1.0"},
        {"TermAtTheUnpackStart", SIGTERM, {}, 0, "unpack-started", "1.0"},
        {"TermInTheUnpack", SIGTERM, {}, 0, "unpack-entry#20", "1.0"},
        {"IntInTheUnpack", SIGINT, {}, 0, "unpack-entry#36", "1.0"},
        {"TermWithTheDeepTreeStaged", SIGTERM, {}, 0, "unpack-done", "1.0"},
        {"HupWithTheDeepTreeStaged", SIGHUP, {}, 0, "unpack-done", "1.0"},
        {"TermWithTheJournalWritten", SIGTERM, {}, 0, "journal-written", "2.0"},
        {"TermInTheSwap", SIGTERM, {}, 0, "swap-step#3", "2.0"},
        {"TermWithTheSwapDone", SIGTERM, {}, 0, "swap-done", "2.0"},
        {"TermAtTheCommit", SIGTERM, {}, 0, "committed", "2.0"},
        {"TermInTheCleanUp", SIGTERM, {}, 0, "cleanup", "2.0"},
        {"TermWhileASwapIsUndone", SIGTERM, {}, 0, "undo-step#2", "1.0", "swap-rename#4:EIO"},
        {"TermWithFoldersThatCannotBeEmptied",
         SIGTERM,
         {},
         0,
         "unpack-done",
         "1.0",
         nullptr,
         "WIDE"},
    };
    publishDeepTree();
    for (const SignalRow& row : rows)
        endBySignal(row);
}

// Three agents started together on one module, round after round: one updates, the others wait
// for it and never meet a half-swapped module.
TEST_F(CrashSafety, AgentsStartedTogetherKeepTheModuleWhole) {
    startServer();
    constexpr int kRounds = 8;
    constexpr int kAgents = 3;
    int waited = 0;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        resetModule();
        std::vector<std::unique_ptr<QProcess>> agents;
        for (int i = 0; i < kAgents; ++i) {
            agents.push_back(std::make_unique<QProcess>());
            agents.back()->setProcessEnvironment(AgentEnvironment(settings()));
            agents.back()->start(kProgram, commandLine("1.0"));
        }
        for (auto& agent : agents) {
            const AgentRun ended = FinishAgent(*agent, 120'000);
            EXPECT_TRUE(ended.finished && !ended.crashed);
            EXPECT_TRUE(ended.lines.contains(kUpdated))
                << ended.errorLines.join('\n').toStdString();
            waited += ended.lines.contains(kWaiting) ? 1 : 0;
        }
        EXPECT_EQ(expectWholeModule("after the round"), "2.0");
    }
    EXPECT_GT(waited, 0) << "the agents never met";
    std::cout << "concurrent rounds: " << kRounds << " x " << kAgents << " agents, " << waited
              << " waits" << std::endl;
}

} // namespace
} // namespace quillset::test
