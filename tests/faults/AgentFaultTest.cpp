// Every step of an agent run against every fault that applies to it, with the real program, the
// project's update server and, for a full disk, the test build's fail points.
#include "tests/support/AgentEndToEnd.h"
#include "tests/support/BindMounts.h"
#include "tests/support/CaseName.h"
#include "tests/support/ModuleFixtures.h"

#include <QThread>
#include <fcntl.h>
#include <iostream>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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
// with the agent's own limits, which proves that those still hold (its own ctest entries, whose
// agents have them).
enum class Waits { Shortened, Real };

struct FaultCase {
    const char* name;
    Step step;
    Fault fault;
    Waits waits = Waits::Shortened;
};

// How long a run may take before the test takes the agent for hung: long enough for the real
// one-minute limits, and for the test build's shortened ones on a busy machine.
constexpr int kRealLimitsRunMs = 150'000;
constexpr int kRunMs = 60'000;

// The file a module program appends its version to. It lies outside the module folder so that a
// full module disk does not hide a start; the check for stray files looks only at the module's
// own parent folder.

// A run of the agent on the module with the new version published from `staging`.
class AgentRunFixture : public AgentEndToEnd {
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

    // Who started: the versions the module programs wrote.
    std::string started(const std::string& expected) const {
        return AwaitStarted(marker("started"), expected);
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
    std::string runProgramFile() const { return RunModuleProgram(moduleFolder(), marker("after")); }

    QTemporaryDir stagingRoot;
    QTemporaryDir markerRoot;
    fs::path staging;
    QString failAt; // QUILLSET_TEST_FAIL_AT of the run, where the row needs one
    static inline int tried = 0;
    static inline int passed = 0;
};

class AgentFaults : public AgentRunFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(AgentFaults, EndsWithItsMessageAndLeavesARunnableModule) {
    const FaultCase& row = GetParam();
    WriteMarkedProgram(moduleFolder(), "1.0");
    const QStringList rules = prepare(row);
    ASSERT_FALSE(HasFailure());
    const std::string oldProgram = ReadAll(moduleFolder() / "EDITOR.EXE");
    startServer(rules);

    QStringList settings{"QUILLSET_UNZIP32=" QUILLSET_TEST_HOOKS_ENGINE,
                         QString(kMarkerVariable) + "=" +
                             QString::fromStdString(marker("started").string())};
    if (!failAt.isEmpty())
        settings << "QUILLSET_TEST_FAIL_AT=" + failAt;
    const AgentRun run = RunAgent(kProgram, commandLine("1.0"), settings,
                                  row.waits == Waits::Real ? kRealLimitsRunMs : kRunMs);
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
        // Run by its own ctest entries, one of which sits out the real minute.
        FaultCase{"VersionFileTrickleRealLimits", Step::VersionFile, Fault::Trickle, Waits::Real},
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

// Servers that lie about ranges, the module holding most of the release already so that only the
// changed entries would be fetched: each run fetches the whole archive instead and updates, or
// refuses what it unpacked and keeps the old version; the module is whole either way.
struct RangeLie {
    const char* name;
    const char* directive; // besides "ranges"
    bool updated;
    const char* logged;
};

class LyingRanges : public AgentRunFixture, public ::testing::WithParamInterface<RangeLie> {};

TEST_P(LyingRanges, FallBackOrRefuseAndKeepTheModuleWhole) {
    const RangeLie& row = GetParam();
    WriteMarkedProgram(moduleFolder(), "1.0");
    for (int i = 0; i < 40; ++i)
        WriteFile(staging / "LIB" / ("F" + std::to_string(i) + ".DAT"),
                  IncompressibleBytes(20'000, i));
    fs::copy(staging / "LIB", moduleFolder() / "LIB", fs::copy_options::recursive);
    const fs::path other = fs::path(markerRoot.path().toStdString()) / "other";
    WriteMarkedProgram(other / "module", "9.9");
    WriteModuleFiles(other / "module", "9.9");
    publishTo(other / "published", "EDITOR", other / "module", "9.9",
              {"--password", kArchivePassword});
    fs::copy_file(other / "published" / "EDITOR.ZIP", serverFolder() / "OTHER.ZIP");
    publish(staging, "2.0");
    startServer({"--rule", QStringLiteral("EDITOR.ZIP=ranges,") + row.directive});
    const AgentRun run = RunAgent(
        kProgram, commandLine("1.0"),
        {"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so",
         QString(kMarkerVariable) + "=" + QString::fromStdString(marker("started").string())},
        kRunMs);
    ASSERT_TRUE(run.finished);
    const std::string log = run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(run.lines.contains(row.updated ? kUpdated : kNotUpdated)) << log;
    EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    const std::string version = row.updated ? "2.0\n" : "1.0\n";
    EXPECT_EQ(started(version), version);
    EXPECT_EQ(runProgramFile(), version);
    EXPECT_EQ(AgentLeftovers(moduleFolder()), std::vector<std::string>{});
    EXPECT_EQ(halfWrittenFiles(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Agent, LyingRanges,
    ::testing::Values(
        RangeLie{"PieceNamedAsOtherBytes", "range-shift=7", true, "the server's piece says not"},
        RangeLie{"PieceCutShort", "range-short", true, "the whole archive is fetched instead"},
        RangeLie{"ArchiveReplacedBetweenRequests", "range-etag-changes", true, "status 200"},
        RangeLie{"RangesIgnored", "range-200", true, "the server answers no ranges"},
        RangeLie{"PiecesOfAnotherArchive", "range-other=OTHER.ZIP", false, "unpack: "}),
    CaseName());

// Things someone with write access to the module folder may have put there, and a rival agent
// holding the module: the agent never hangs, never acts outside the module, and refuses what it
// cannot trust, with the old program kept and started.
struct Plant {
    fs::path module;
    fs::path outside; // a folder beside, that links in the module point to
    fs::path newTree; // the new version, published after the plant
    int& heldModule;  // a descriptor the test holds the module lock with
    BindMounts& mounts;
};

struct PlantedCase {
    const char* name;
    // False when this machine cannot plant it.
    bool (*plant)(const Plant&);
    bool updated;
    std::vector<std::string> kept;    // planted entries that stay
    std::vector<std::string> removed; // planted entries the agent removes
    const char* logged = nullptr;     // in the failure log
};

bool Fifo(const fs::path& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    return ::mkfifo(path.c_str(), 0600) == 0;
}

bool Journal(const fs::path& module, const char* steps) {
    return WriteFile(module / ".tlupdater-journal",
                     std::string("TLUPDATER-SWAP 1\n") + steps + "planned\n");
}

const char* const kPinned = "sub/deeper/PINNED.DAT";

// Where the pinned file of the old version went, if anywhere: the swap moves it with its folder.
std::optional<fs::path> FindPinned(const fs::path& module) {
    for (const auto& entry : fs::recursive_directory_iterator(module))
        if (entry.path().filename() == "PINNED.DAT")
            return entry.path();
    return std::nullopt;
}

class PlantedInTheModule : public AgentRunFixture,
                           public ::testing::WithParamInterface<PlantedCase> {
protected:
    void TearDown() override {
        if (const std::optional<fs::path> pinned = FindPinned(moduleFolder()))
            SetImmutable(*pinned, false);
        if (heldModule >= 0)
            ::close(heldModule);
        AgentRunFixture::TearDown();
    }
    AgentRun runAgent(const char* version) {
        return RunAgent(
            kProgram, commandLine(version),
            {"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so",
             QString(kMarkerVariable) + "=" + QString::fromStdString(marker("started").string())},
            kRunMs);
    }
    QTemporaryDir outsideRoot;
    int heldModule = -1;
    BindMounts mounts{moduleRoot.path().toStdString()};
};

TEST_P(PlantedInTheModule, NeitherHangsNorReachesOutsideIt) {
    const PlantedCase& row = GetParam();
    WriteMarkedProgram(moduleFolder(), "1.0");
    const fs::path outside = fs::path(outsideRoot.path().toStdString());
    WriteFile(outside / "secret.txt", "outside the module");
    WriteFile(outside / "0", "an outside file where a backup would be");
    if (!row.plant({moduleFolder(), outside, staging, heldModule, mounts}))
        GTEST_SKIP() << "cannot be planted here";
    publish(staging, "2.0");
    const ModuleSnapshot outsideBefore = SnapshotOf(outside);
    startServer();

    const AgentRun run = runAgent("1.0");
    ASSERT_TRUE(run.finished) << "the agent did not end";
    ASSERT_FALSE(run.lines.isEmpty());
    EXPECT_EQ(run.lines.back(), "Unload: WinMain");
    const std::string log = run.errorLines.join('\n').toStdString();
    EXPECT_TRUE(run.lines.contains(row.updated ? kUpdated : kNotUpdated)) << log;
    const std::string expected = row.updated ? "2.0\n" : "1.0\n";
    EXPECT_EQ(started(expected), expected);
    if (row.logged) {
        EXPECT_NE(log.find(row.logged), std::string::npos) << log;
    }
    EXPECT_EQ(SnapshotOf(outside), outsideBefore) << "nothing outside the module changes";
    EXPECT_EQ(besideTheModule(), std::vector<std::string>{"Apps Dir"});
    for (const std::string& name : row.kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(moduleFolder() / name))) << name;
    for (const std::string& name : row.removed)
        EXPECT_FALSE(fs::exists(fs::symlink_status(moduleFolder() / name))) << name;
    std::vector<std::string> stray = strayFiles();
    std::erase_if(stray, [&](const std::string& name) {
        return std::any_of(row.kept.begin(), row.kept.end(), [&](const std::string& kept) {
            return name == kept || name.starts_with(kept + "/");
        });
    });
    if (!row.updated) {
        EXPECT_EQ(stray, std::vector<std::string>{});
    }

    // What could not be cleaned up is retried by a later run, and never holds up its update.
    if (const std::optional<fs::path> pinned = FindPinned(moduleFolder())) {
        ASSERT_TRUE(::geteuid() != 0 || SetImmutable(*pinned, false));
        const AgentRun again = runAgent("1.0");
        EXPECT_TRUE(again.lines.contains(kUpdated)) << again.errorLines.join('\n').toStdString();
        EXPECT_EQ(AgentLeftovers(moduleFolder()), std::vector<std::string>{});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agent, PlantedInTheModule,
    ::testing::Values(
        PlantedCase{"FifoAtTheJournal",
                    [](const Plant& p) { return Fifo(p.module / ".tlupdater-journal"); },
                    false,
                    {".tlupdater-journal"},
                    {},
                    "journal"},
        PlantedCase{"FifoAtTheVersionCopy",
                    [](const Plant& p) { return Fifo(p.module / "EDITOR.VER"); },
                    true,
                    {},
                    {}},
        PlantedCase{"FifoAtTheArchiveCopy",
                    [](const Plant& p) { return Fifo(p.module / "EDITOR.ZIP"); },
                    true,
                    {},
                    {}},
        PlantedCase{"ForgedJournalAddsThroughALink",
                    [](const Plant& p) {
                        fs::create_directory_symlink(p.outside, p.module / "lnk");
                        return Journal(p.module, "add lnk/secret.txt\n");
                    },
                    false,
                    {"lnk", ".tlupdater-journal"},
                    {},
                    "lnk/secret.txt"},
        PlantedCase{"ForgedJournalReplacesThroughALink",
                    [](const Plant& p) {
                        fs::create_directory_symlink(p.outside, p.module / "lnk");
                        WriteFile(p.module / ".tlupdater-backup" / "0", "planted");
                        return Journal(p.module, "replace lnk/secret.txt\n");
                    },
                    false,
                    {"lnk", ".tlupdater-journal", ".tlupdater-backup"},
                    {},
                    "lnk/secret.txt"},
        PlantedCase{"ForgedJournalWithABackupThatIsALink",
                    [](const Plant& p) {
                        fs::create_directory_symlink(p.outside, p.module / ".tlupdater-backup");
                        return Journal(p.module, "replace EDITOR.EXE\n");
                    },
                    false,
                    {".tlupdater-journal", ".tlupdater-backup"},
                    {},
                    ".tlupdater-backup"},
        PlantedCase{"LinkAtTheStagingFolder",
                    [](const Plant& p) {
                        fs::create_directory_symlink(p.outside, p.module / ".tlupdater-staging");
                        return true;
                    },
                    false,
                    {".tlupdater-staging"},
                    {},
                    ".tlupdater-staging"},
        PlantedCase{"LinkAtTheBackupFolder",
                    [](const Plant& p) {
                        fs::create_directory_symlink(p.outside, p.module / ".tlupdater-backup");
                        return true;
                    },
                    false,
                    {".tlupdater-backup"},
                    {},
                    ".tlupdater-backup"},
        PlantedCase{"LinkAtTheJournal",
                    [](const Plant& p) {
                        WriteFile(p.outside / "journal", "TLUPDATER-SWAP 1\nplanned\n");
                        fs::create_symlink(p.outside / "journal", p.module / ".tlupdater-journal");
                        return true;
                    },
                    false,
                    {".tlupdater-journal"},
                    {},
                    "journal"},
        // A killed signature transfer leaves its partial file; the module's own files that look
        // like temporaries are the module's.
        PlantedCase{"ModuleFilesNamedLikeTemporaries",
                    [](const Plant& p) {
                        return WriteFile(p.module / "sub" / ".uz-12-34", "the module's") &&
                               WriteFile(p.module / "sub" / "EDITOR.ZIP.part-abc123", "its") &&
                               WriteFile(p.module / ".uz-12-34", "the module's") &&
                               WriteFile(p.module / "EDITOR.SIG.part-Xy12Zq", "partial");
                    },
                    true,
                    {"sub/.uz-12-34", "sub/EDITOR.ZIP.part-abc123", ".uz-12-34"},
                    {"EDITOR.SIG.part-Xy12Zq"}},
        // The old version's read-only folder that the new one turns into a file; root ignores
        // modes, so there a pinned file inside it makes the clean-up fail.
        PlantedCase{"CleanUpFailsAfterTheCommit",
                    [](const Plant& p) {
                        WriteFile(p.module / kPinned, "old");
                        fs::permissions(p.module / "sub" / "deeper", fs::perms(0555));
                        WriteFile(p.newTree / "sub", "a file in 2.0");
                        return ::geteuid() != 0 || SetImmutable(p.module / kPinned, true);
                    },
                    true,
                    {},
                    {".tlupdater-journal"}},
        // An operator's bind mount below a folder the new version turns into a file: the old
        // folder goes, the mounted one stays as it is, set aside with what holds it.
        PlantedCase{"MountedFolderInAFolderTheUpdateReplaces",
                    [](const Plant& p) {
                        fs::create_directories(p.module / "sub" / "deeper");
                        WriteFile(p.newTree / "sub", "a file in 2.0");
                        return p.mounts.bind(p.outside, p.module / "sub" / "deeper");
                    },
                    true,
                    {".tlupdater-old-0"},
                    {"sub/deeper"},
                    "a mount point, not part of this folder"},
        PlantedCase{"MountedFolderInALeftoverOfAnEarlierRun",
                    [](const Plant& p) {
                        fs::create_directories(p.module / ".tlupdater-old-0" / "x");
                        return p.mounts.bind(p.outside, p.module / ".tlupdater-old-0" / "x");
                    },
                    true,
                    {".tlupdater-old-0/x"},
                    {},
                    "cannot be removed and stay"},
        PlantedCase{"ModuleHeldByAnotherAgentPastTheWait",
                    [](const Plant& p) {
                        p.heldModule = ::open(p.module.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                        return p.heldModule >= 0 && ::flock(p.heldModule, LOCK_EX) == 0;
                    },
                    false,
                    {},
                    {},
                    "held it for longer"}),
    CaseName());

} // namespace
} // namespace quillset::test
