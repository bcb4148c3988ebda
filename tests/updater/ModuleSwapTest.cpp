// The swap's journal and plan on their own: what a journal can carry, which journals the
// recovery refuses to act on, the names the agent keeps, and which entries a swap touches.
#include "updater/ModuleSwap.h"
#include "posix/Beneath.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"
#include "updater/Durable.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillset::test {
namespace {

namespace fs = std::filesystem;

class Swap : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(staging); }
    QTemporaryDir root;
    fs::path module{root.path().toStdString()};
    fs::path staging = module / kStagingName;
    fs::path backup = module / kBackupName;
    fs::path journal = module / kJournalName;
    Fd handle = OpenFolder(module.string());
    WorkingFolders folders{module, handle.get()};
};

TEST_F(Swap, JournalKeepsEveryNameAFileSystemAllows) {
    const std::vector<SwapStep> steps{
        {SwapStep::Kind::Replace, "EDITOR.EXE"},
        {SwapStep::Kind::Add, "with space/and\nline break"},
        {SwapStep::Kind::Replace, "100% sure"},
        {SwapStep::Kind::Add, "caf\xc3\xa9/\xd0\xb4\xd0\xb0/x"},
    };
    WriteJournal(folders, steps);
    std::optional<SwapJournal> read = ReadJournal(folders);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->steps, steps);
    EXPECT_FALSE(read->committed);
    MarkCommitted(folders);
    EXPECT_TRUE(ReadJournal(folders)->committed);
}

// How the journal's name is taken: a file with the text, a FIFO (the reader must not wait for a
// writer), a link to a file with the text, or the text padded past any journal's size.
enum class At { File, Fifo, Link, Oversized };

struct BadJournal {
    const char* name;
    const char* text;
    At at = At::File;
};

class RefusedJournal : public Swap, public ::testing::WithParamInterface<BadJournal> {};

TEST_P(RefusedJournal, IsNeverActedOn) {
    const BadJournal& row = GetParam();
    switch (row.at) {
    case At::File:
        WriteFile(journal, row.text);
        break;
    case At::Fifo:
        ASSERT_EQ(::mkfifo(journal.c_str(), 0600), 0);
        break;
    case At::Link:
        WriteFile(module / "elsewhere", row.text);
        fs::create_symlink(module / "elsewhere", journal);
        break;
    case At::Oversized:
        WriteFile(journal, row.text + std::string(2 << 20, '\n'));
        break;
    }
    EXPECT_THROW(ReadJournal(folders), SwapError);
    EXPECT_THROW(RecoverSwap(folders), SwapError);
    EXPECT_TRUE(fs::exists(fs::symlink_status(journal))) << "kept for an operator";
}

INSTANTIATE_TEST_SUITE_P(
    Journal, RefusedJournal,
    ::testing::Values(BadJournal{"NotOurs", "hello\n"},
                      BadJournal{"StepOutOfTheModule", "TLUPDATER-SWAP 1\nreplace ../x\nplanned\n"},
                      BadJournal{"AbsoluteStep", "TLUPDATER-SWAP 1\nadd /etc/passwd\nplanned\n"},
                      BadJournal{"StepIntoTheAgentsOwnFolder",
                                 "TLUPDATER-SWAP 1\nadd .TLUPDATER-backup/0\nplanned\n"},
                      BadJournal{"EmptyPathPart", "TLUPDATER-SWAP 1\nadd DATA//x\nplanned\n"},
                      BadJournal{"UnknownKind", "TLUPDATER-SWAP 1\ndelete EDITOR.EXE\nplanned\n"},
                      BadJournal{"PlanCutShort", "TLUPDATER-SWAP 1\nadd EDITOR.EXE\n"},
                      BadJournal{"Fifo", "", At::Fifo},
                      BadJournal{"LinkToAWellFormedJournal",
                                 "TLUPDATER-SWAP 1\nadd EDITOR.EXE\nplanned\n", At::Link},
                      BadJournal{"LargerThanAnyPlan", "TLUPDATER-SWAP 1\nadd EDITOR.EXE\nplanned\n",
                                 At::Oversized}),
    CaseName());

TEST(ReservedNames, AreTheAgentsOwnInAnyCaseAndNothingElse) {
    for (const char* name : {".tlupdater-staging", ".TLUPDATER-JOURNAL", ".TlUpDaTeR-backup",
                             ".tlupdater.lock", ".tlupdater"})
        EXPECT_TRUE(IsReservedName(name)) << name;
    for (const char* name :
         {"tlupdater-staging", "README.TXT", "x.tlupdater", ".tlupdate", "EDITOR.EXE.previous"})
        EXPECT_FALSE(IsReservedName(name)) << name;
}

TEST_F(Swap, PlanEntersSharedFoldersAndLeavesTheModulesOwnFiles) {
    WriteFile(module / "EDITOR.EXE", "old");
    WriteFile(module / "DATA" / "TABLE.DAT", "old");
    WriteFile(module / "DATA" / "USER.CFG", "the user's");
    WriteFile(module / "NOW.DIR" / "x", "a file where a folder comes");
    WriteFile(staging / "EDITOR.EXE", "new");
    WriteFile(staging / "DATA" / "TABLE.DAT", "new");
    WriteFile(staging / "DATA" / "NEW.DAT", "new");
    WriteFile(staging / "LIB" / "A.SO", "new");
    WriteFile(staging / "NOW.DIR", "a file now");

    const Fd staged = OpenFolder(staging.string());
    std::vector<SwapStep> steps = PlanSwap(folders, staged.get(), {});
    std::sort(steps.begin(), steps.end(),
              [](const SwapStep& a, const SwapStep& b) { return a.path < b.path; });
    const std::vector<SwapStep> expected{
        {SwapStep::Kind::Add, "DATA/NEW.DAT"},   {SwapStep::Kind::Replace, "DATA/TABLE.DAT"},
        {SwapStep::Kind::Replace, "EDITOR.EXE"}, {SwapStep::Kind::Add, "LIB"},
        {SwapStep::Kind::Replace, "NOW.DIR"},
    };
    EXPECT_EQ(steps, expected);

    SwapIn(folders, staged.get(), steps);
    ClearSwap(folders);
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_TRUE(fs::exists(module / "DATA" / "USER.CFG"));
    EXPECT_TRUE(fs::is_regular_file(module / "NOW.DIR"));
    EXPECT_TRUE(fs::exists(module / "LIB" / "A.SO"));
}

// A later start's sweep would remove them as the agent's own.
TEST_F(Swap, StagedNameOfTheAgentsOwnIsRefusedBeforeAnyChange) {
    WriteFile(staging / "EDITOR.EXE", "new");
    const Fd staged = OpenFolder(staging.string());
    for (const char* name : {".TLUPDATER-BACKUP/0", "editor.zip.part-abc123"}) {
        WriteFile(staging / name, "decoy");
        EXPECT_THROW(PlanSwap(folders, staged.get(), {"EDITOR.ZIP"}), SwapError) << name;
        fs::remove_all(staging / fs::path(name).begin()->string());
    }
}

TEST_F(Swap, RecoveryUndoesAStepHalfMade) {
    WriteFile(module / "EDITOR.EXE", "old");
    WriteFile(module / "README.TXT", "old");
    WriteFile(staging / "EDITOR.EXE", "new");
    WriteFile(staging / "README.TXT", "new");
    WriteFile(staging / "NEW.DAT", "new");
    const std::vector<SwapStep> steps{{SwapStep::Kind::Replace, "README.TXT"},
                                      {SwapStep::Kind::Add, "NEW.DAT"},
                                      {SwapStep::Kind::Replace, "EDITOR.EXE"}};
    WriteJournal(folders, steps);
    // As a crash leaves it: two steps made, the third half made (old program set aside only).
    fs::create_directories(backup);
    fs::rename(module / "README.TXT", backup / BackupOf(0));
    fs::rename(staging / "README.TXT", module / "README.TXT");
    fs::rename(staging / "NEW.DAT", module / "NEW.DAT");
    fs::rename(module / "EDITOR.EXE", backup / BackupOf(2));

    EXPECT_EQ(RecoverSwap(folders), Recovery::Undone);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(module))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"EDITOR.EXE", "README.TXT"}));
    EXPECT_EQ(ReadAll(module / "EDITOR.EXE"), "old");
    EXPECT_EQ(ReadAll(module / "README.TXT"), "old");
    EXPECT_EQ(RecoverSwap(folders), Recovery::Nothing) << "nothing is left for a second start";
}

} // namespace
} // namespace quillset::test
