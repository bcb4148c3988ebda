// Module folders named as a user may name them: in any script, and beside folders whose names
// differ only in case. The agent must update the folder given, or refuse, never another one.
#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"

namespace quillset::test {
namespace {

struct FolderCase {
    const char* name;
    std::vector<const char*> folders; // made beside each other, each holding version 1.0
    const char* given;                // the folder on the command line
    const char* updated;              // the folder that must hold 2.0 afterwards; none: refused
    // The agent starts in the folder the others are made in and is given `given` as it is.
    bool relative = false;
    // Where refused: what the agent says, on screen or in its failure log.
    const char* refusal = "none matches it exactly";
};

class FolderNames : public AgentEndToEnd, public ::testing::WithParamInterface<FolderCase> {
protected:
    fs::path besideRoot() const { return fs::path(moduleRoot.path().toStdString()); }
    fs::path folder(const char* name) const { return besideRoot() / name; }
    QTemporaryDir newVersionRoot;
};

TEST_P(FolderNames, UpdateTheFolderGivenOrRefuse) {
    const FolderCase& c = GetParam();
    for (const char* name : c.folders)
        WriteModuleProgram(folder(name), "1.0");
    const fs::path newVersion = fs::path(newVersionRoot.path().toStdString());
    WriteModuleProgram(newVersion, "2.0");
    publish(newVersion, "2.0");
    startServer();

    const QString given =
        c.relative ? QString::fromUtf8(c.given) : QString::fromStdString(folder(c.given).string());
    QProcess agent;
    agent.setProcessEnvironment(
        AgentEnvironment({"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so"}));
    agent.setWorkingDirectory(QString::fromStdString(besideRoot().string()));
    agent.start(kProgram, {"editor", "1.0", QString(given).replace(' ', '%')});
    const AgentRun run = FinishAgent(agent, 60'000);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.lines.contains(kUpdated), c.updated != nullptr)
        << run.lines.join('\n').toStdString();
    for (const char* name : c.folders) {
        const bool isUpdated = c.updated && std::string(name) == c.updated;
        EXPECT_EQ(ReadAll(folder(name) / "EDITOR.EXE").find("echo 2.0") != std::string::npos,
                  isUpdated)
            << name;
    }
    if (!c.updated) {
        const QString said = (run.lines + run.errorLines).join('\n');
        EXPECT_TRUE(said.contains(QString::fromUtf8(c.refusal))) << said.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agent, FolderNames,
    ::testing::Values(
        FolderCase{"CyrillicName", {"Приложение"}, "Приложение", "Приложение"},
        FolderCase{"GreekAndSpaces", {"Εφαρμογή μου"}, "Εφαρμογή μου", "Εφαρμογή μου"},
        FolderCase{"LowerCaseBesideUpperCase", {"app", "APP"}, "app", "app"},
        FolderCase{"UpperCaseBesideLowerCase", {"app", "APP"}, "APP", "APP"},
        FolderCase{"OneFolderMatchesIgnoringCase", {"app"}, "APP", "app"},
        FolderCase{"SeveralMatchIgnoringCaseNoneExactly", {"app", "APP"}, "App", nullptr},
        // Upper-cased as a whole text, straße would become STRASSE: the other folder.
        FolderCase{"SharpSBesideItsDoubleS", {"straße", "STRASSE"}, "straße", "straße"},
        // Neither a drive nor a leading "\": from the working folder, as Windows reads it.
        FolderCase{"RelativeToTheWorkingFolder", {"rel/mod"}, "rel\\mod", "rel/mod", true},
        // Never locked, swept or written: the whole file system is not a module.
        FolderCase{"RootFolderRefused", {}, "\\", nullptr, true, "is the root folder"}),
    CaseName());

} // namespace
} // namespace quillset::test
