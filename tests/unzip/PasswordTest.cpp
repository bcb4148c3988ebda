// Encrypted archives and the password callback: ArchivePassword, the prompt, giving up.
#include "tests/unzip/UnzipFixture.h"

namespace quillset::test {
namespace {

struct PasswordCase {
    const char* name;
    QString storedPassword; // ArchivePassword before the unpack
    QStringList answers;    // typed into the prompt, in order
    std::int32_t result;
    std::size_t prompts;
    bool filesWritten;
    QString passwordAfter;
};

struct Encryption {
    const char* name;
    QString program;
    QStringList arguments;
};

class Passwords : public UnzipFixture,
                  public ::testing::WithParamInterface<std::tuple<Encryption, PasswordCase>> {};

TEST_P(Passwords, AskOnlyWhenBlankAndLeaveNothingBehindWhenWrong) {
    const auto& [encryption, row] = GetParam();
    if (!HaveTool(encryption.program))
        GTEST_SKIP() << encryption.program.toStdString() << " is not installed";
    const fs::path source = scratch.root() / "source";
    WriteFile(source / "EDITOR.EXE", std::string(50000, 'E'));
    WriteFile(source / "docs" / "notes.txt", "notes\n");
    const fs::path archive = scratch.root() / "secret.zip";
    QStringList arguments = encryption.arguments;
    arguments.replaceInStrings(QStringLiteral("OUT"), scratch.text(archive));
    ASSERT_EQ(RunTool(encryption.program, arguments, source), 0);
    password = row.storedPassword;
    for (const QString& answer : row.answers)
        dialogs.queueInput(answer);

    EXPECT_EQ(unzip(archive), row.result) << module.LastUnzipMessage().toStdString();

    ASSERT_EQ(dialogs.inputBoxes().size(), row.prompts);
    for (const InputBoxRequest& box : dialogs.inputBoxes()) {
        EXPECT_EQ(box.prompt, QStringLiteral("Ingrese la contraseña!"));
        EXPECT_EQ(box.title, QStringLiteral("TLUPDATER"));
        EXPECT_TRUE(box.defaultText.isEmpty());
    }
    EXPECT_EQ(password, row.passwordAfter);
    EXPECT_EQ(fs::exists(scratch.dest() / "EDITOR.EXE"), row.filesWritten);
    EXPECT_EQ(fs::exists(scratch.dest() / "docs" / "notes.txt"), row.filesWritten);
    if (row.filesWritten) {
        EXPECT_EQ(ReadAll(scratch.dest() / "EDITOR.EXE"), std::string(50000, 'E'));
    }
    // Nothing half-written stays behind: no zero-filled file, no temporary.
    for (const std::string& path : TreeBelow(scratch.dest()))
        EXPECT_TRUE(fs::is_directory(scratch.dest() / path) || row.filesWritten) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Passwords,
    ::testing::Combine(
        ::testing::Values(
            Encryption{"Traditional", "zip", {"-q", "-r", "-P", "secret", "OUT", "."}},
            Encryption{"WinZipAes", "7z", {"a", "-tzip", "-mem=AES256", "-psecret", "OUT", "."}}),
        ::testing::Values(
            PasswordCase{
                "StoredPasswordServesWithoutAsking", "secret", {}, UZ_OK, 0, true, "secret"},
            PasswordCase{"BlankPasswordAsksOnceAndKeepsTheAnswer",
                         "   ",
                         {"secret"},
                         UZ_OK,
                         1,
                         true,
                         "secret"},
            PasswordCase{"EmptyAnswerRefusesEveryEntryWithoutAskingAgain",
                         "",
                         {"", "secret"},
                         UZ_BAD_PASSWORD,
                         1,
                         false,
                         ""},
            // Blank means spaces only: a tab or a line break is a password, if a wrong one.
            PasswordCase{"TabAndLineBreakAreAPasswordNotBlank",
                         " \t\r\n ",
                         {"secret"},
                         UZ_BAD_PASSWORD,
                         0,
                         false,
                         " \t\r\n "},
            PasswordCase{"WrongStoredPasswordWritesNothing",
                         "nope",
                         {},
                         UZ_BAD_PASSWORD,
                         0,
                         false,
                         "nope"})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

TEST_F(UnzipFixture, WrongPasswordKeepsTheFileAlreadyThere) {
    const fs::path source = scratch.root() / "source";
    WriteFile(source / "EDITOR.EXE", "new program");
    const fs::path archive = scratch.root() / "secret.zip";
    ASSERT_EQ(RunTool("zip", {"-q", "-P", "secret", scratch.text(archive), "EDITOR.EXE"}, source),
              0);
    WriteFile(scratch.dest() / "EDITOR.EXE", "old program");
    password = "wrong";

    EXPECT_EQ(unzip(archive), UZ_BAD_PASSWORD);

    EXPECT_EQ(ReadAll(scratch.dest() / "EDITOR.EXE"), "old program");
    EXPECT_EQ(TreeBelow(scratch.dest()), std::vector<std::string>{"EDITOR.EXE"});
}

TEST_F(UnzipFixture, PasswordGivenUpIsClearedByTheNextUnpack) {
    const fs::path source = scratch.root() / "source";
    WriteFile(source / "a.txt", "a");
    const fs::path archive = scratch.root() / "secret.zip";
    ASSERT_EQ(RunTool("zip", {"-q", "-P", "secret", scratch.text(archive), "a.txt"}, source), 0);
    dialogs.queueInput("");
    EXPECT_EQ(unzip(archive), UZ_BAD_PASSWORD);
    EXPECT_TRUE(module.PasswordGivenUp());

    dialogs.queueInput("secret");
    EXPECT_EQ(unzip(archive), UZ_OK);
    EXPECT_FALSE(module.PasswordGivenUp());
    EXPECT_EQ(dialogs.inputBoxes().size(), 2u);
    EXPECT_EQ(ReadAll(scratch.dest() / "a.txt"), "a");
}

} // namespace
} // namespace quillset::test
