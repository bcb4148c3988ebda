// What each setting makes the engine do, seen from the agent's side.
#include "tests/support/CaseName.h"
#include "tests/unzip/UnzipFixture.h"

namespace quillset::test {
namespace {

constexpr long long kYear2001 = 978307200;
constexpr long long kYear2010 = 1262304000;

struct ReplaceCase {
    const char* name;
    bool prompt;
    bool overwrite;
    std::optional<MessageAnswer> answer;
    std::string expectedTop;
    std::int32_t result;
};

class Replacing : public UnzipFixture, public ::testing::WithParamInterface<ReplaceCase> {};

TEST_P(Replacing, FilesAlreadyThereAreReplacedKeptOrAskedAbout) {
    const ReplaceCase& row = GetParam();
    const fs::path archive = archiveOf("tree");
    WriteFile(scratch.dest() / "top.txt", "old\n");
    if (row.answer)
        dialogs.queueAnswer(*row.answer);

    EXPECT_EQ(unzip(archive,
                    [&](CGUnzipFiles& f) {
                        f.SetPromptOverwrite(row.prompt);
                        f.SetOverWriteFiles(row.overwrite);
                    }),
              row.result);

    EXPECT_EQ(ReadAll(scratch.dest() / "top.txt"), row.expectedTop);
    ASSERT_EQ(dialogs.messages().size(), row.answer ? 1u : 0u);
    if (row.answer) {
        const MessageBoxRequest& question = dialogs.messages().front();
        EXPECT_EQ(question.title, QStringLiteral("Unzip - File Already Exists!"));
        EXPECT_EQ(question.text, QStringLiteral("Overwrite top.txt?"));
        EXPECT_EQ(question.icon, MessageIcon::Warning);
        EXPECT_EQ(question.buttons, MessageButtons::YesNoCancel);
    }
    // Cancel stops the unpack at top.txt, the archive's first entry.
    EXPECT_EQ(fs::exists(scratch.dest() / "sub" / "inner.txt"), row.result != UZ_CANCELLED);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Replacing,
    ::testing::Values(
        ReplaceCase{"AskedYesReplaces", true, true, MessageAnswer::Yes, "top\n", UZ_OK},
        ReplaceCase{"AskedNoKeeps", true, true, MessageAnswer::No, "old\n", UZ_OK},
        ReplaceCase{"AskedCancelStops", true, false, MessageAnswer::Cancel, "old\n", UZ_CANCELLED},
        ReplaceCase{"OverwriteWithoutAsking", false, true, std::nullopt, "top\n", UZ_OK},
        ReplaceCase{"NeitherKeeps", false, false, std::nullopt, "old\n", UZ_OK}),
    CaseName());

struct NewerCase {
    const char* name;
    bool onlyNewer; // ExtractOnlyNewer, else ExtractNewer
    std::optional<long long> existingTime;
    bool replaced;
};

class Newer : public UnzipFixture, public ::testing::WithParamInterface<NewerCase> {};

TEST_P(Newer, OnlyNewerEntriesReplaceAndOnlyNewerSkipsNewFiles) {
    const NewerCase& row = GetParam();
    const fs::path archive = archiveOf("tree"); // entries dated 7 March 2003
    if (row.existingTime) {
        WriteFile(scratch.dest() / "top.txt", "old\n");
        SetModified(scratch.dest() / "top.txt", *row.existingTime);
    }

    EXPECT_EQ(unzip(archive,
                    [&](CGUnzipFiles& f) {
                        f.SetExtractOnlyNewer(row.onlyNewer);
                        f.SetExtractNewer(!row.onlyNewer);
                    }),
              UZ_OK);

    const fs::path top = scratch.dest() / "top.txt";
    const std::string expected = row.replaced ? "top\n" : row.existingTime ? "old\n" : "";
    EXPECT_EQ(fs::exists(top) ? ReadAll(top) : "", expected);
    EXPECT_TRUE(dialogs.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Times, Newer,
    ::testing::Values(NewerCase{"NewerReplacesAnOlderFile", false, kYear2001, true},
                      NewerCase{"NewerKeepsAYoungerFile", false, kYear2010, false},
                      NewerCase{"NewerCreatesAMissingFile", false, std::nullopt, true},
                      NewerCase{"OnlyNewerReplacesAnOlderFile", true, kYear2001, true},
                      NewerCase{"OnlyNewerKeepsAYoungerFile", true, kYear2010, false},
                      NewerCase{"OnlyNewerCreatesNothing", true, std::nullopt, false}),
    CaseName());

TEST_F(UnzipFixture, ListingOnlyListsEveryEntryAndWritesNothing) {
    EXPECT_EQ(unzip(archiveOf("tree"), [](auto& f) { f.SetExtractList(1); }), UZ_OK);

    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
    EXPECT_EQ(module.ListingLineCount(), 4);
    const QStringList lines = module.UnzipListing().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 6); // header, four entries, the empty rest after the last line end
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Filename:")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("sub/deeper/run.sh ")));
    EXPECT_EQ(lines[4].mid(59, 15), QStringLiteral("03/07/03   9:05"));
}

TEST_F(UnzipFixture, ListingOfTheEditorExample) {
    EXPECT_EQ(unzip(archiveOf("editor"), [](auto& f) { f.SetExtractList(1); }), UZ_OK);
    const QString line = module.UnzipListing().section(QStringLiteral("\r\n"), 1, 1);
    EXPECT_EQ(line.size(), 80);
    EXPECT_EQ(line.left(11), QStringLiteral("EDITOR.EXE "));
    EXPECT_EQ(line.mid(50, 7), QStringLiteral(" 123456"));
    EXPECT_EQ(line.mid(59, 15), QStringLiteral("03/07/03   9:05"));
}

TEST_F(UnzipFixture, ListingKeepsTheLastSevenDigitsOfAnEightDigitSize) {
    EXPECT_EQ(unzip(archiveOf("big-size"), [](auto& f) { f.SetExtractList(1); }), UZ_OK);
    const QString line = module.UnzipListing().section(QStringLiteral("\r\n"), 1, 1);
    EXPECT_EQ(line.mid(50, 7), QStringLiteral("2345678"));
}

TEST_F(UnzipFixture, TestingReadsEverythingAndWritesNothing) {
    EXPECT_EQ(unzip(archiveOf("tree"), [](auto& f) { f.SetTestZip(true); }), UZ_OK);
    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
    EXPECT_TRUE(module.LastUnzipMessage().contains(QStringLiteral("testing: sub/inner.txt")));

    EXPECT_EQ(unzip(archiveOf("corrupt-crc"), [](auto& f) { f.SetTestZip(true); }), UZ_BAD_ARCHIVE);
    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
}

TEST_F(UnzipFixture, FlattenedUnpackPutsEveryFileInTheFolder) {
    EXPECT_EQ(unzip(archiveOf("tree"), [](auto& f) { f.SetHonorDirectories(false); }), UZ_OK);
    EXPECT_EQ(TreeBelow(scratch.dest()),
              (std::vector<std::string>{"inner.txt", "run.sh", "top.txt"}));
}

TEST_F(UnzipFixture, SpacesBecomeUnderscoresInFoldersAndFiles) {
    EXPECT_EQ(unzip(archiveOf("spaces"), [](auto& f) { f.SetSpaceToUnderScore(true); }), UZ_OK);
    EXPECT_EQ(ReadAll(scratch.dest() / "my_folder" / "my_file.txt"), "spaced\n");
}

TEST_F(UnzipFixture, LineEndConversionTouchesTextOnly) {
    EXPECT_EQ(unzip(archiveOf("line-ends"), [](auto& f) { f.SetConvertCRtoCRLF(true); }), UZ_OK);
    EXPECT_EQ(ReadAll(scratch.dest() / "unix.txt"), "one\r\ntwo\r\nthree\r\nfour\r\n");
    EXPECT_EQ(ReadAll(scratch.dest() / "binary.bin"), std::string("\0\n\x01\n", 4));
}

TEST_F(UnzipFixture, StandardOutputSendsTheDataToTheMessages) {
    EXPECT_EQ(unzip(archiveOf("tree"), [](auto& f) { f.SetWriteToStdOut(true); }), UZ_OK);
    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
    EXPECT_TRUE(module.LastUnzipMessage().contains(QStringLiteral("inner\n")));
}

TEST_F(UnzipFixture, CommentIsShownWhenAsked) {
    const fs::path source = scratch.root() / "source";
    WriteFile(source / "a.txt", "a");
    const fs::path archive = scratch.root() / "commented.zip";
    ASSERT_EQ(RunTool("sh",
                      {"-c", "echo 'Release 2.5 of the editor' | zip -q -z " +
                                 scratch.text(archive) + " a.txt"},
                      source),
              0);
    EXPECT_EQ(unzip(archive, [](auto& f) { f.SetDisplayComment(true); }), UZ_OK);
    EXPECT_TRUE(module.LastUnzipMessage().startsWith(QStringLiteral("Release 2.5 of the editor")))
        << module.LastUnzipMessage().toStdString();
}

TEST_F(UnzipFixture, PermissionsAndTimesAreRestored) {
    EXPECT_EQ(unzip(archiveOf("tree")), UZ_OK);
    const fs::path script = scratch.dest() / "sub" / "deeper" / "run.sh";
    EXPECT_EQ(fs::status(script).permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_EQ(fs::status(scratch.dest() / "top.txt").permissions() & fs::perms::all,
              fs::perms(0644));
    std::tm local{};
    const time_t modified = static_cast<time_t>(Modified(script));
    localtime_r(&modified, &local);
    EXPECT_EQ(std::make_tuple(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                              local.tm_min),
              std::make_tuple(2003, 3, 7, 9, 5));
}

} // namespace
} // namespace quillset::test
