// Every step of an agent run against every fault that applies to it, with the real program, the
// project's update server and, for a full disk, the test build's fail points.
#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"
#include "tests/support/ModuleFixtures.h"

#include <QThread>
#include <iostream>
#include <set>

namespace quillset::test {
namespace {

enum class Step { VersionFile, ArchiveTransfer, Unpack, Restart };

enum class Fault {
    Dropped,
    Stalled,
    Trickle, // a byte every half second
    Endless, // bytes without end, no length announced
    NotFound,
    ServerError,
    DiskFull,
    Truncated,
    Corrupt,
    WrongPassword,
    NotExecutable,
    NotAProgram
};

// Which agent runs the row: the test build, whose waits are cut to a few seconds, or a build
// with the agent's own limits, which proves that those still hold.
enum class Waits { Shortened, Real };

struct FaultCase {
    const char* name;
    Step step;
    Fault fault;
    Waits waits = Waits::Shortened;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

// How long a run may take before the test takes the agent for hung: long enough for the real
// one-minute limits, and for the test build's shortened ones on a busy machine.
constexpr int kRealWaitsRunMs = 150'000;
constexpr int kRunMs = 60'000;
const QString kRealWaitsProgram = QStringLiteral(TLUPDATER_REAL_WAITS_PROGRAM);

// The file a module program appends its version to. It lies outside the module folder so that a
// full module disk does not hide a start; the check for stray files looks only at the module's
// own parent folder.

class AgentFaults : public AgentEndToEnd, public ::testing::WithParamInterface<FaultCase> {
protected:
    void SetUp() override {
        AgentEndToEnd::SetUp();
        staging = fs::path(stagingRoot.path().toStdString()) / "module";
        WriteMarkedProgram(staging, "2.0");
        WriteModuleFiles(staging, "2.0");
    }
    void TearDown() override {
        if (!IsSkipped()) {
            ++tried;
            if (!HasFailure())
                ++passed;
        }
    }
    static void TearDownTestSuite() {
        std::cout << "fault cases: " << tried << " tried, " << passed << " passed" << std::endl;
    }

    fs::path marker(const char* name) const {
        return fs::path(markerRoot.path().toStdString()) / name;
    }
    // Builds the server's files and the module folder for the row; answers the server rules.
    QStringList prepare(const FaultCase& row) {
        const fs::path archive = serverFolder() / "EDITOR.ZIP";
        switch (row.fault) {
        case Fault::Dropped:
        case Fault::Stalled:
        case Fault::Trickle:
        case Fault::Endless:
        case Fault::NotFound:
        case Fault::ServerError: {
            publish(staging, "2.0");
            const char* name = row.step == Step::VersionFile ? "EDITOR.VER" : "EDITOR.ZIP";
            // The version file is padded so that half of it still reaches the agent.
            const char* pad = row.step == Step::VersionFile ? "pad=4000," : "";
            const char* directive = row.fault == Fault::Dropped    ? "drop"
                                    : row.fault == Fault::Stalled  ? "stall"
                                    : row.fault == Fault::Trickle  ? "slow=2"
                                    : row.fault == Fault::Endless  ? "endless"
                                    : row.fault == Fault::NotFound ? "404"
                                                                   : "500";
            return {"--rule", QString::asprintf("%s=%s%s", name, pad, directive)};
        }
        case Fault::DiskFull:
            return prepareDiskFull(row.step);
        case Fault::Truncated: {
            publish(staging, "2.0");
            // Announced as complete, so the transfer succeeds and the unpack meets the cut.
            const auto size = fs::file_size(archive);
            return {"--rule",
                    QString::asprintf("EDITOR.ZIP=truncate=%ju", uintmax_t(size * 2 / 3))};
        }
        case Fault::Corrupt: {
            publish(staging, "2.0");
            EXPECT_TRUE(DamageEntryData(archive, "TABLE.DAT", 60, 2000));
            return {};
        }
        case Fault::WrongPassword:
            publish(staging, "2.0", "not-ours");
            return {};
        case Fault::NotExecutable:
            fs::permissions(staging / "EDITOR.EXE", fs::perms::owner_read | fs::perms::owner_write |
                                                        fs::perms::group_read |
                                                        fs::perms::others_read);
            publish(staging, "2.0");
            return {};
        case Fault::NotAProgram:
            WriteFile(staging / "EDITOR.EXE", "\x7f"
                                              "ELF, but no program at all");
            publish(staging, "2.0");
            return {};
        }
        return {};
    }

    // A disk that fills up at the step: the write there fails as a full disk's would.
    QStringList prepareDiskFull(Step step) {
        publish(staging, "2.0");
        switch (step) {
        case Step::VersionFile:
            failAt = "transfer-write:ENOSPC";
            break;
        case Step::ArchiveTransfer:
            // The version file took the first write.
            failAt = "transfer-write#2:ENOSPC";
            break;
        case Step::Unpack:
            // Some entries are written; the disk is full at the third write.
            failAt = "unpack-write#3:ENOSPC";
            break;
        case Step::Restart:
            break;
        }
        return {};
    }

    // Who started: the versions the module programs wrote, waiting a little for a detached start.
    std::string started(const std::string& expected) const {
        for (int i = 0; i < 50 && ReadAll(marker("started")) != expected; ++i)
            QThread::msleep(100);
        return ReadAll(marker("started"));
    }

    // Files in the module folder that are neither the module's nor the agent's local copies.
    std::vector<std::string> strayFiles() const {
        static const std::set<std::string> known{"EDITOR.EXE", "EDITOR.VER", "EDITOR.ZIP",
                                                 "README.TXT", "DATA",       "DATA/TABLE.DAT"};
        std::vector<std::string> stray;
        for (const auto& entry : fs::recursive_directory_iterator(moduleFolder())) {
            const std::string name = entry.path().lexically_relative(moduleFolder()).string();
            if (!known.contains(name))
                stray.push_back(name);
        }
        return stray;
    }
    // Files of the new version that a failed run left behind but that differ from the published
    // ones: a half-written file the module would take for whole.
    std::vector<std::string> halfWrittenFiles() const {
        std::vector<std::string> half;
        for (const char* name : {"README.TXT", "DATA/TABLE.DAT"}) {
            const fs::path left = moduleFolder() / name;
            if (fs::exists(left) && ReadAll(left) != ReadAll(staging / name))
                half.push_back(name);
        }
        return half;
    }
    std::vector<std::string> besideTheModule() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(moduleRoot.path().toStdString()))
            names.push_back(entry.path().filename().string());
        return names;
    }
    // Runs the module folder's program as its starting program would; answers what it wrote.
    std::string runProgramFile() const {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(kMarkerVariable, QString::fromStdString(marker("after").string()));
        program.setProcessEnvironment(environment);
        program.start(QString::fromStdString((moduleFolder() / "EDITOR.EXE").string()), {});
        program.waitForFinished(10'000);
        return ReadAll(marker("after"));
    }

    QTemporaryDir stagingRoot;
    QTemporaryDir markerRoot;
    fs::path staging;
    QString failAt; // QUILLSET_TEST_FAIL_AT of the run, where the row needs one
    static inline int tried = 0;
    static inline int passed = 0;
};

TEST_P(AgentFaults, EndsWithItsMessageAndLeavesARunnableModule) {
    const FaultCase& row = GetParam();
    WriteMarkedProgram(moduleFolder(), "1.0");
    const QStringList rules = prepare(row);
    ASSERT_FALSE(HasFailure());
    const std::string oldProgram = ReadAll(moduleFolder() / "EDITOR.EXE");
    const bool real = row.waits == Waits::Real;
    startServer(rules, real ? TLUPDATER_REAL_WAITS_PORT : kAgentPort);

    QStringList settings{"QUILLSET_UNZIP32=" QUILLSET_TEST_HOOKS_ENGINE,
                         QString(kMarkerVariable) + "=" +
                             QString::fromStdString(marker("started").string())};
    if (!failAt.isEmpty())
        settings << "QUILLSET_TEST_FAIL_AT=" + failAt;
    const AgentRun run = RunAgent(real ? kRealWaitsProgram : kProgram, commandLine("1.0"), settings,
                                  real ? kRealWaitsRunMs : kRunMs);
    ASSERT_TRUE(run.finished) << "the agent did not end";
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_EQ(run.lines.back(), "Unload: WinMain");

    switch (row.step) {
    case Step::VersionFile:
        EXPECT_TRUE(run.lines.contains(kUpToDate)) << run.lines.join('\n').toStdString();
        EXPECT_FALSE(
            run.lines.contains(QStringLiteral("Status: Downloading the latest version...")));
        EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.VER"));
        break;
    case Step::ArchiveTransfer:
        EXPECT_FALSE(run.lines.contains(QStringLiteral("Status: Unpacking...")));
        EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.ZIP")) << "no part of it is kept";
        [[fallthrough]];
    case Step::Unpack:
        EXPECT_TRUE(run.lines.contains(kNotUpdated)) << run.lines.join('\n').toStdString();
        EXPECT_FALSE(run.lines.contains(kUpdated));
        EXPECT_EQ(started("1.0\n"), "1.0\n") << "the old program is started again";
        break;
    case Step::Restart:
        EXPECT_TRUE(run.lines.contains(kUpdated)) << run.lines.join('\n').toStdString();
        if (row.fault == Fault::NotExecutable) {
            // Archives carry no trustworthy modes; the agent makes the program executable.
            EXPECT_EQ(started("2.0\n"), "2.0\n");
            break;
        }
        // A start is told at once (the agent learns whether the program ran before it goes on),
        // so an agent that has ended has told it.
        EXPECT_TRUE(run.errorLines.join('\n').contains(QStringLiteral("cannot be started")))
            << run.errorLines.join('\n').toStdString();
        break;
    }
    EXPECT_EQ(besideTheModule(), std::vector<std::string>{"Apps Dir"});
    EXPECT_EQ(strayFiles(), std::vector<std::string>{});
    EXPECT_EQ(halfWrittenFiles(), std::vector<std::string>{});
    if (row.step == Step::Restart) {
        EXPECT_NE(ReadAll(moduleFolder() / "EDITOR.EXE"), oldProgram) << "the new file is in place";
        return;
    }
    EXPECT_EQ(ReadAll(moduleFolder() / "EDITOR.EXE"), oldProgram);
    EXPECT_EQ(runProgramFile(), "1.0\n") << "the module's program file runs";
}

INSTANTIATE_TEST_SUITE_P(
    Agent, AgentFaults,
    ::testing::Values(
        FaultCase{"VersionFileDroppedHalfWay", Step::VersionFile, Fault::Dropped},
        FaultCase{"VersionFileStalledPastTimeOut", Step::VersionFile, Fault::Stalled},
        FaultCase{"VersionFileTrickle", Step::VersionFile, Fault::Trickle},
        FaultCase{"VersionFileEndless", Step::VersionFile, Fault::Endless},
        // The one row that sits out a real minute: run by its own ctest entry.
        FaultCase{"VersionFileTrickleRealWait", Step::VersionFile, Fault::Trickle, Waits::Real},
        FaultCase{"VersionFileNotFound404", Step::VersionFile, Fault::NotFound},
        FaultCase{"VersionFileServerError500", Step::VersionFile, Fault::ServerError},
        FaultCase{"VersionFileDiskFull", Step::VersionFile, Fault::DiskFull},
        FaultCase{"ArchiveDroppedHalfWay", Step::ArchiveTransfer, Fault::Dropped},
        FaultCase{"ArchiveStalledPastTimeOut", Step::ArchiveTransfer, Fault::Stalled},
        FaultCase{"ArchiveTrickleBelowTheFloor", Step::ArchiveTransfer, Fault::Trickle},
        FaultCase{"ArchiveEndless", Step::ArchiveTransfer, Fault::Endless},
        FaultCase{"ArchiveNotFound404", Step::ArchiveTransfer, Fault::NotFound},
        FaultCase{"ArchiveServerError500", Step::ArchiveTransfer, Fault::ServerError},
        FaultCase{"ArchiveDiskFull", Step::ArchiveTransfer, Fault::DiskFull},
        FaultCase{"UnpackTruncatedArchive", Step::Unpack, Fault::Truncated},
        FaultCase{"UnpackCorruptArchive", Step::Unpack, Fault::Corrupt},
        FaultCase{"UnpackWrongPassword", Step::Unpack, Fault::WrongPassword},
        FaultCase{"UnpackDiskFull", Step::Unpack, Fault::DiskFull},
        FaultCase{"RestartProgramWithoutExecutableBits", Step::Restart, Fault::NotExecutable},
        FaultCase{"RestartProgramNotAProgram", Step::Restart, Fault::NotAProgram}),
    CaseName());

} // namespace
} // namespace quillset::test
