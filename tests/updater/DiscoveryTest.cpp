#include "platform/WindowsPath.h"
#include "tests/support/CaseName.h"
#include "tests/updater/AgentFixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillset::test {
namespace {

const QString kLatest = QString::fromUtf8(kLatestVersionMessage);

struct DiscoveryCase {
    const char* name;
    const char* installed;
    std::optional<std::string> serverFile; // none: not on the server
    QStringList rules;
    bool newer;
    float serverVersion;
    bool versionCopyStays;
};

class Discovery : public AgentFixture, public ::testing::WithParamInterface<DiscoveryCase> {};

TEST_P(Discovery, ComparesTheServerVersionAsAFloat) {
    const DiscoveryCase& c = GetParam();
    if (c.serverFile)
        WriteFile(serverFolder() / "EDITOR.VER", *c.serverFile);
    WriteFile(moduleFolder() / "EDITOR.ZIP", "left by an earlier run");
    startServer(c.rules);
    ASSERT_TRUE(agent->ReadCommandLine(commandLine(QString::fromUtf8(c.installed))));

    EXPECT_EQ(agent->CheckForNewVersion(), c.newer);
    EXPECT_EQ(agent->state().ServerVersion, c.serverVersion);
    EXPECT_EQ(fs::exists(moduleFolder() / "EDITOR.VER"), c.versionCopyStays);
    if (c.versionCopyStays) {
        EXPECT_TRUE(ReadAll(moduleFolder() / "EDITOR.VER").starts_with(*c.serverFile));
        EXPECT_TRUE(view.statuses.isEmpty());
        EXPECT_EQ(view.progress.back(), 1);
    } else {
        EXPECT_EQ(view.statuses, QStringList{kLatest});
        EXPECT_EQ(Entries(moduleFolder()), std::vector<std::string>{})
            << "the failure steps delete the local copies";
    }
    EXPECT_EQ(pointer.shape(), PointerShape::Arrow);
}

INSTANTIATE_TEST_SUITE_P(
    Agent, Discovery,
    ::testing::Values(
        DiscoveryCase{"EqualIsNotNewer", "2.5", "2.5", {}, false, 2.5f, true},
        DiscoveryCase{"TrailingZeroIsEqual", "2.5", "2.50\r\n", {}, false, 2.5f, true},
        DiscoveryCase{"HigherIsNewer", "2.5", "2.6", {}, true, 2.6f, true},
        DiscoveryCase{"DecimalNotDotted", "1.9", "1.10", {}, false, 1.1f, true},
        DiscoveryCase{"TwoDigitWholePartIsNewer", "9.5", "10.0", {}, true, 10.0f, true},
        DiscoveryCase{"OneDigitWholePartIsNotNewer", "10.0", "9.9", {}, false, 9.9f, true},
        DiscoveryCase{"FirstCommaItem", "2", "3,1", {}, true, 3.0f, true},
        DiscoveryCase{"QuotedVersion", "2.5", "\"2.7\"", {}, true, 2.7f, true},
        DiscoveryCase{
            "BinaryFileReadsZero", "1", std::string("\x89PNG\0\1", 6), {}, false, 0.0f, true},
        DiscoveryCase{"EmptyFile", "2.5", "", {}, false, 2.5f, false},
        DiscoveryCase{"NotOnServer", "2.5", std::nullopt, {}, false, 2.5f, false},
        DiscoveryCase{"ServerError", "2.5", "9", {"--rule", "EDITOR.VER=500"}, false, 2.5f, false},
        DiscoveryCase{"DroppedHalfWay",
                      "2.5",
                      "2.6" + std::string(5000, ' '),
                      {"--rule", "EDITOR.VER=drop"},
                      false,
                      2.5f,
                      false},
        DiscoveryCase{"StalledServerGivesUp",
                      "2.5",
                      "2.6" + std::string(100, ' '),
                      {"--rule", "EDITOR.VER=stall"},
                      false,
                      2.5f,
                      false},
        DiscoveryCase{"FileAboveTheSizeBoundIsAFailedTransfer",
                      "2.5",
                      "2.6,",
                      {"--rule", "EDITOR.VER=pad=20000000"},
                      false,
                      2.5f,
                      false},
        DiscoveryCase{"FileJustWithinTheSizeBoundIsRead",
                      "2.5",
                      "2.6,",
                      {"--rule", "EDITOR.VER=pad=65536"},
                      true,
                      2.6f,
                      true},
        DiscoveryCase{"TrickleEndsAtTheTimeLimit",
                      "2.5",
                      "2.6" + std::string(100, ' '),
                      {"--rule", "EDITOR.VER=slow=2"},
                      false,
                      2.5f,
                      false},
        DiscoveryCase{"EndlessServerEndsAtTheSizeBound",
                      "2.5",
                      "2.6,",
                      {"--rule", "EDITOR.VER=endless"},
                      false,
                      2.5f,
                      false}),
    CaseName());

TEST_F(AgentFixture, StaleVersionCopyIsDeletedBeforeTheTransfer) {
    WriteFile(moduleFolder() / "EDITOR.VER", "9.9");
    startServer({"--rule", "EDITOR.VER=404"});
    ASSERT_TRUE(agent->ReadCommandLine(commandLine("2.5")));
    EXPECT_FALSE(agent->CheckForNewVersion());
    EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.VER"));
}

TEST_F(AgentFixture, StaleCopyThatCannotBeDeletedEndsAsUpToDate) {
    // A folder where the copy should be cannot be removed like a file.
    fs::create_directories(moduleFolder() / "EDITOR.VER" / "inside");
    WriteFile(serverFolder() / "EDITOR.VER", "3");
    startServer();
    ASSERT_TRUE(agent->ReadCommandLine(commandLine("2.5")));
    EXPECT_FALSE(agent->CheckForNewVersion());
    EXPECT_EQ(view.statuses, QStringList{kLatest});
}

TEST_F(AgentFixture, AddressThatDoesNotResolveEndsAsUpToDate) {
    makeAgent(QStringLiteral("http://update.server.invalid/updates/"));
    ASSERT_TRUE(agent->ReadCommandLine(commandLine("2.5")));
    EXPECT_FALSE(agent->CheckForNewVersion());
    EXPECT_TRUE(Entries(moduleFolder()).empty());
}

TEST_F(AgentFixture, CloseDuringTheTransferEndsTheCycleAndLeavesNoFile) {
    WriteFile(serverFolder() / "EDITOR.VER", std::string(2000, '3'));
    startServer({"--rule", "EDITOR.VER=slow=200"});
    ASSERT_TRUE(agent->ReadCommandLine(commandLine("2.5")));
    view.closeAfterRounds = 5;
    agent->runCycle();
    EXPECT_TRUE(view.unloaded);
    EXPECT_EQ(view.statuses, QStringList{QString::fromUtf8(kScanningStatus)});
    EXPECT_TRUE(dialogs.messages().empty()) << "nothing runs after the unload";
    EXPECT_FALSE(transfer.StillExecuting());
    EXPECT_TRUE(Entries(moduleFolder()).empty());
    EXPECT_EQ(pointer.shape(), PointerShape::Arrow) << "the hourglass does not outlive the agent";
}

TEST_F(AgentFixture, UpToDateCycleTellsTheUserAndFillsTheBar) {
    WriteFile(serverFolder() / "EDITOR.VER", "2.5");
    startServer();
    ASSERT_TRUE(agent->ReadCommandLine(commandLine("2.5")));
    agent->runCycle();
    EXPECT_EQ(view.statuses, (QStringList{QString::fromUtf8(kScanningStatus), kLatest}));
    EXPECT_EQ(view.repaintedStatuses, QStringList{QString::fromUtf8(kScanningStatus)});
    EXPECT_EQ(view.progress, (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(view.activity, (QStringList{"busy", "clear"})) << "busy while scanning only";
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, kLatest);
    EXPECT_EQ(dialogs.messages()[0].title, "TLUPDATER");
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Information);
    EXPECT_FALSE(view.unloaded) << "an interactive window stays until closed";

    agent->setCloseWhenUpToDate(true);
    agent->runCycle();
    EXPECT_TRUE(view.unloaded);
}

// The lock covers the module's change, not the person: another agent may go on while the
// closing message waits to be read.
TEST_F(AgentFixture, ModuleIsFreeForAnotherAgentWhileTheClosingMessageShows) {
    for (const char* version : {"2.5", "3.0"}) { // up to date; newer, but no archive to fetch
        SCOPED_TRACE(version);
        WriteFile(serverFolder() / "EDITOR.VER", version);
        startServer();
        ASSERT_TRUE(agent->ReadCommandLine(commandLine("2.5")));
        agent->claimModule();
        std::vector<bool> free;
        dialogs.onMessage = [&] {
            const int fd = ::open(moduleFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            free.push_back(::flock(fd, LOCK_EX | LOCK_NB) == 0);
            ::close(fd);
        };
        agent->runCycle();
        EXPECT_EQ(free, std::vector<bool>{true});
    }
    dialogs.onMessage = nullptr;
}

struct RefusedLine {
    const char* name;
    const char* line;
    const char* message;
};

class RefusedCommandLine : public AgentFixture,
                           public ::testing::WithParamInterface<RefusedLine> {};

TEST_P(RefusedCommandLine, ToldAndUnloaded) {
    makeAgent(QStringLiteral("http://127.0.0.1:1/"));
    EXPECT_FALSE(agent->ReadCommandLine(QString::fromUtf8(GetParam().line)));
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, QString::fromUtf8(GetParam().message));
    EXPECT_TRUE(view.unloaded);
    EXPECT_TRUE(view.currentSoftware.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Agent, RefusedCommandLine,
    ::testing::Values(
        RefusedLine{"Empty", "", kStandAloneMessage},
        RefusedLine{"Blanks", "    ", kStandAloneMessage},
        RefusedLine{"SurplusFields", "EDITOR 2.5 C:\\APPS DIR\\EDITOR", kSurplusFieldsMessage},
        RefusedLine{"ModuleNameWalksUp", "..\\..\\ETC\\PASSWD 1 C:\\A", kModuleNameMessage},
        RefusedLine{"ModuleNameIsAPath", "/etc/x 1 C:\\A", kModuleNameMessage}),
    CaseName());

TEST_F(AgentFixture, CommandLineFillsTheStateAndDeciphersThePassword) {
    makeAgent(QStringLiteral("http://127.0.0.1:1/"));
    ASSERT_TRUE(agent->ReadCommandLine(QStringLiteral("editor 2.5 c:\\apps%dir\\editor")));
    const UpdateState& state = agent->state();
    EXPECT_EQ(state.ModuleName, "EDITOR");
    // The folder as the agent works in it: drive C: resolved, the spelling as given.
    EXPECT_EQ(
        state.ModuleFolder,
        QString::fromStdString((DriveFolder(QLatin1Char('C')) / "apps dir" / "editor").string()) +
            QLatin1Char('\\'));
    EXPECT_EQ(state.VersionFileName, "EDITOR.VER");
    EXPECT_EQ(state.ArchiveFileName, "EDITOR.ZIP");
    EXPECT_EQ(state.ProgramFileName, "EDITOR.EXE");
    EXPECT_EQ(state.ArchivePassword, QLatin1String(kPassword));
    EXPECT_EQ(view.currentSoftware, "EDITOR.EXE");
    EXPECT_EQ(view.progress, std::vector<int>{0});
    EXPECT_TRUE(dialogs.messages().empty());
}

} // namespace
} // namespace quillset::test
