#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"
#include "tests/support/ModuleFixtures.h"
#include "tests/support/RunTool.h"

namespace quillset::test {
namespace {

// The progress values in the order the run showed them.
std::vector<int> ProgressOf(const AgentRun& run) {
    std::vector<int> values;
    for (const QString& line : run.lines)
        if (line.startsWith(QLatin1String("Avance: ")))
            values.push_back(line.mid(8).toInt());
    return values;
}

class Installation : public AgentEndToEnd {
protected:
    void SetUp() override {
        AgentEndToEnd::SetUp();
        WriteModuleProgram(moduleFolder(), "1.0");
        newVersion = fs::path(stagingRoot.path().toStdString()) / "module";
        WriteModuleProgram(newVersion, "2.0");
        WriteModuleFiles(newVersion, "2.0");
    }
    // The module folder still holds a program that runs: the old one, started by the agent.
    void expectOldProgramKeptAndStarted() {
        EXPECT_EQ(startedVersions("1.0\n"), "1.0\n");
        EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.EXE.previous"));
    }
    // Nothing written beside the module folder.
    void expectNothingOutsideTheModule() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(moduleRoot.path().toStdString()))
            names.push_back(entry.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"Apps Dir"});
    }

    QTemporaryDir stagingRoot;
    fs::path newVersion;
};

// The whole update by each way the system may answer. How the downloaded archive is made private
// before it is checked and unpacked: an unnamed copy made in the kernel, the archive itself where
// the file system has no unnamed files (it is the agent's and no one else may write it), a copy
// through a buffer where the kernel cannot copy or a sandbox refuses it. How files below the module
// folder are opened: openat2, or part by part where the kernel lacks it or a sandbox refuses it.
struct SystemRoute {
    const char* name;
    const char* failAt = nullptr;
    const char* openat2Error = nullptr; // what openat2 answers, when not itself
    // The Python origin, which answers no ranges, unless set.
    ServerSetup server = {};
};

class WholeUpdate : public Installation, public ::testing::WithParamInterface<SystemRoute> {
protected:
    AgentRun runRoute(const SystemRoute& route) {
        const QStringList settings =
            route.failAt ? QStringList{QStringLiteral("QUILLSET_TEST_FAIL_AT=") + route.failAt}
                         : QStringList{};
        if (!route.openat2Error)
            return runAgent("1.0", settings);
        return RunAgent(QStringLiteral(QUILLSET_WITHOUT_OPENAT2),
                        QStringList{route.openat2Error, kProgram} + commandLine("1.0"),
                        QStringList{"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so"} +
                            settings);
    }
};

TEST_P(WholeUpdate, NewerVersionIsUnpackedAndStarted) {
    // Files the module already holds as the release has them: an origin with ranges sends only
    // the others, one without sends the archive once, as before.
    for (int i = 0; i < 40; ++i)
        WriteFile(newVersion / "LIB" / ("F" + std::to_string(i) + ".DAT"),
                  IncompressibleBytes(20'000, i));
    fs::copy(newVersion / "LIB", moduleFolder() / "LIB", fs::copy_options::recursive);
    publish(newVersion, "2.0");
    startServer(GetParam().server);
    const AgentRun run = runRoute(GetParam());
    if (GetParam().openat2Error && run.exitCode == 77)
        GTEST_SKIP() << "no seccomp filter here: " << run.errorLines.join('\n').toStdString();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(ProgressOf(run), (std::vector<int>{0, 1, 2, 3, 4}));
    const qsizetype downloading = run.lines.indexOf("Status: Downloading the latest version...");
    const qsizetype unpacking = run.lines.indexOf("Status: Unpacking...");
    const qsizetype updated = run.lines.indexOf("Status: Software updated succesfully!");
    ASSERT_GE(downloading, 0);
    EXPECT_EQ(run.lines[downloading + 1], "Avance: 2");
    EXPECT_EQ(run.lines[unpacking + 1], "Avance: 3");
    EXPECT_EQ(run.lines[updated + 1], "Avance: 4");
    EXPECT_EQ(run.lines[updated + 2], kUpdated);
    EXPECT_EQ(run.lines.back(), "Unload: WinMain");

    EXPECT_EQ(startedVersions("2.0\n"), "2.0\n");
    EXPECT_EQ(ReadAll(moduleFolder() / "README.TXT"), "version 2.0\n");
    EXPECT_EQ(fs::file_size(moduleFolder() / "DATA" / "TABLE.DAT"), 50'000u);
    EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.ZIP"));
    EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.VER"));
    EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.EXE.previous"));
    expectNothingOutsideTheModule();
    const auto archive = static_cast<long long>(fs::file_size(serverFolder() / "EDITOR.ZIP"));
    if (GetParam().server.origin == Origin::Nginx) {
        EXPECT_LT(server->originBodyBytes("EDITOR.ZIP"), archive / 2);
    } else {
        EXPECT_EQ(server->originBodyBytes("EDITOR.ZIP"), archive);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agent, WholeUpdate,
    ::testing::Values(
        SystemRoute{"UnnamedCopy"}, SystemRoute{"NoUnnamedFiles", "private-copy:EOPNOTSUPP"},
        SystemRoute{"NoCopyInTheKernel", "copy-range:EXDEV"},
        SystemRoute{"SandboxRefusingTheKernelCopy", "copy-range:EPERM"},
        SystemRoute{"KernelWithoutOpenat2", nullptr, "ENOSYS"},
        SystemRoute{"SandboxRefusingOpenat2", nullptr, "EPERM"},
        SystemRoute{"OnlyTheChangedEntriesFromNginx", nullptr, nullptr, {.origin = Origin::Nginx}},
        SystemRoute{"OnlyTheChangedEntriesThroughSquid",
                    nullptr,
                    nullptr,
                    {.origin = Origin::Nginx, .cache = true}}),
    CaseName());

TEST_F(Installation, ArchiveMissingOnTheServerRestartsTheOldProgram) {
    WriteFile(serverFolder() / "EDITOR.VER", "2.0");
    // A copy left by an earlier failed run: deleted before the transfer, so it cannot be used.
    WriteFile(moduleFolder() / "EDITOR.ZIP", "PK left over");
    startServer();
    const AgentRun run = runAgent("1.0");
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.lines.contains(kNotUpdated));
    EXPECT_FALSE(run.lines.contains("Status: Unpacking..."));
    EXPECT_FALSE(fs::exists(moduleFolder() / "EDITOR.ZIP"));
    EXPECT_TRUE(fs::exists(moduleFolder() / "EDITOR.VER")) << "kept for the next run to delete";
    expectOldProgramKeptAndStarted();
}

enum class Fault {
    DroppedHalfWay,
    TruncatedArchive,
    CorruptEntry,
    WrongPassword,
    NoProgramFile,
    ZipSlipEntry,
    EngineMissing,
    JournalNotFlushed
};

struct FaultCase {
    const char* name;
    Fault fault;
};

class FailedInstallation : public Installation, public ::testing::WithParamInterface<FaultCase> {
protected:
    // Builds the server's files for the fault; answers the server rules and agent settings.
    std::pair<QStringList, QStringList> prepare(Fault fault) {
        const fs::path archive = serverFolder() / "EDITOR.ZIP";
        switch (fault) {
        case Fault::DroppedHalfWay:
            publish(newVersion, "2.0");
            return {{"--rule", "EDITOR.ZIP=drop"}, {}};
        case Fault::TruncatedArchive: {
            publish(newVersion, "2.0");
            std::string bytes = ReadAll(archive);
            WriteFile(archive, bytes.substr(0, bytes.size() * 2 / 3));
            return {};
        }
        case Fault::CorruptEntry: {
            publish(newVersion, "2.0", nullptr);
            // Flip bytes inside the compressed data of the largest entry.
            EXPECT_TRUE(DamageEntryData(archive, "TABLE.DAT", 60, 90));
            return {};
        }
        case Fault::WrongPassword:
            publish(newVersion, "2.0", "not-ours");
            return {};
        case Fault::NoProgramFile:
            publish(newVersion, "2.0");
            zipDelete(archive, "EDITOR.EXE");
            return {};
        case Fault::ZipSlipEntry:
            WriteFile(serverFolder() / "EDITOR.VER", "2.0");
            pythonZip(archive, {{"EDITOR.EXE", "#!/bin/sh\necho evil > STARTED.TXT\n"},
                                {"../ESCAPED.TXT", "outside"}});
            return {};
        case Fault::EngineMissing:
            publish(newVersion, "2.0");
            return {{}, {"QUILLSET_UNZIP32=/nonexistent/libunzip32.so"}};
        case Fault::JournalNotFlushed:
            // The journal's draft never reaches the disk: nothing may be moved on its word.
            publish(newVersion, "2.0");
            return {
                {},
                FailingFileCall("fsync", fs::canonical(moduleFolder()) / ".tlupdater-journal.new")};
        }
        return {};
    }
    static void zipDelete(const fs::path& archive, const char* entry) {
        ASSERT_EQ(RunTool("zip", {"-q", "-d", PathText(archive), entry}), 0);
    }
    // Entry names that zip itself will not write, stored with Python's zipfile.
    static void pythonZip(const fs::path& archive,
                          const std::vector<std::pair<std::string, std::string>>& entries) {
        QString script = "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n";
        for (const auto& [name, text] : entries)
            script +=
                QString::fromStdString("z.writestr(" + quoted(name) + ", " + quoted(text) + ")\n");
        script += "z.close()\n";
        ASSERT_EQ(RunTool("python3", {"-c", script, PathText(archive)}), 0);
    }
    static std::string quoted(const std::string& text) {
        std::string out = "'";
        for (char ch : text)
            out += ch == '\n' ? std::string("\\n") : std::string(1, ch);
        return out + "'";
    }
};

TEST_P(FailedInstallation, KeepsARunnableProgramAndTellsTheUser) {
    const auto [rules, settings] = prepare(GetParam().fault);
    startServer(rules);
    const AgentRun run = runAgent("1.0", settings);
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.lines.contains(kNotUpdated));
    EXPECT_FALSE(run.lines.contains(kUpdated));
    EXPECT_EQ(run.lines.back(), "Unload: WinMain");
    expectOldProgramKeptAndStarted();
    expectNothingOutsideTheModule();
    EXPECT_EQ(AgentLeftovers(moduleFolder()), std::vector<std::string>{})
        << "no staging or journal is left";
}

INSTANTIATE_TEST_SUITE_P(Agent, FailedInstallation,
                         ::testing::Values(FaultCase{"DroppedHalfWay", Fault::DroppedHalfWay},
                                           FaultCase{"TruncatedArchive", Fault::TruncatedArchive},
                                           FaultCase{"CorruptEntry", Fault::CorruptEntry},
                                           FaultCase{"WrongPassword", Fault::WrongPassword},
                                           FaultCase{"NoProgramFile", Fault::NoProgramFile},
                                           FaultCase{"ZipSlipEntry", Fault::ZipSlipEntry},
                                           FaultCase{"EngineMissing", Fault::EngineMissing},
                                           FaultCase{"JournalNotFlushed",
                                                     Fault::JournalNotFlushed}),
                         CaseName());

TEST_F(Installation, SwapThatFailsHalfWayPutsTheOldVersionBack) {
    publish(newVersion, "2.0");
    startServer();
    // The old agent's set-aside name is an ordinary folder now, left alone. The last of the
    // three renames that move the new entries in fails, after the other two were made.
    fs::create_directories(moduleFolder() / "EDITOR.EXE.previous" / "KEEP");
    fs::create_directories(moduleFolder() / "DATA");
    WriteFile(moduleFolder() / "DATA" / "TABLE.DAT", "old table");
    const AgentRun run = runAgent("1.0", {"QUILLSET_TEST_FAIL_AT=swap-rename#3:EIO"});
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.lines.contains(kNotUpdated));
    EXPECT_EQ(startedVersions("1.0\n"), "1.0\n");
    EXPECT_FALSE(fs::exists(moduleFolder() / "README.TXT")) << "nothing of the new version stays";
    EXPECT_EQ(ReadAll(moduleFolder() / "DATA" / "TABLE.DAT"), "old table");
    EXPECT_TRUE(fs::exists(moduleFolder() / "EDITOR.EXE.previous" / "KEEP"));
    EXPECT_EQ(AgentLeftovers(moduleFolder()), std::vector<std::string>{})
        << "no staging, backup or journal is left";
    EXPECT_TRUE(run.errorLines.join('\n').contains(" EDITOR swap: cannot move to "))
        << run.errorLines.join('\n').toStdString();
}

} // namespace
} // namespace quillset::test
