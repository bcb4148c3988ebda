#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"

namespace quillset::test {
namespace {

// Every line of a run that finds the module up to date.
const QStringList kUpToDateRun{"CurSoft: EDITOR.EXE",
                               "Avance: 0",
                               "Status: Scanning for a new version...",
                               "Avance: 1",
                               "Status: You have the latest version of the software.",
                               "Avance: 4",
                               "[TLUPDATER] You have the latest version of the software.",
                               "Unload: WinMain"};

TEST_F(AgentEndToEnd, EmptyCommandLineIsRefused) {
    const AgentRun run = RunAgent(kProgram, {});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.lines,
              (QStringList{"[TLUPDATER] This module can not be run as a stand alone application.",
                           "Unload: WinMain"}));
}

TEST_F(AgentEndToEnd, UpToDateModuleEndsByItselfUnattended) {
    WriteFile(serverFolder() / "EDITOR.VER", "2.5\r\n");
    startServer();
    const AgentRun run = runAgent("2.5");
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.lines, kUpToDateRun);
    EXPECT_TRUE(fs::exists(moduleFolder() / "EDITOR.VER"));
}

struct FailureCase {
    const char* name;
    bool serverRuns;
    QStringList rules;
};

class FailedCheck : public AgentEndToEnd, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailedCheck, EndsAsUpToDateAndLeavesNoStrayFile) {
    WriteFile(serverFolder() / "EDITOR.VER", "9.0" + std::string(4000, ' '));
    if (GetParam().serverRuns)
        startServer(GetParam().rules);
    const AgentRun run = runAgent("2.5");
    ASSERT_TRUE(run.finished);
    // A failed check sets the status once more before the cycle does.
    QStringList expected = kUpToDateRun;
    expected.insert(3, "Status: You have the latest version of the software.");
    EXPECT_EQ(run.lines, expected);
    EXPECT_TRUE(fs::is_empty(moduleFolder()));
}

INSTANTIATE_TEST_SUITE_P(
    Agent, FailedCheck,
    ::testing::Values(FailureCase{"NoServer", false, {}},
                      FailureCase{"NotFound", true, {"--rule", "EDITOR.VER=404"}},
                      FailureCase{"ServerError", true, {"--rule", "EDITOR.VER=500"}},
                      FailureCase{"DroppedHalfWay", true, {"--rule", "EDITOR.VER=drop"}},
                      // No real version file comes near the size bound; a gigabyte one is a
                      // failed transfer, not a version.
                      FailureCase{
                          "GigabyteVersionFile", true, {"--rule", "EDITOR.VER=pad=1000000000"}}),
    CaseName());

} // namespace
} // namespace quillset::test
