#include "updater/VersionFile.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

struct ItemCase {
    const char* name;
    QByteArray text;
    std::optional<float> version;
};

class VersionFileContent : public ::testing::TestWithParam<ItemCase> {};

TEST_P(VersionFileContent, FirstItemGivesTheVersion) {
    QTemporaryDir folder;
    const std::filesystem::path file = folder.path().toStdString() + "/EDITOR.VER";
    WriteFile(file, GetParam().text.toStdString());
    EXPECT_EQ(ReadVersionFile(file), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(
    Agent, VersionFileContent,
    ::testing::Values(
        ItemCase{"PlainNumber", "2.6", 2.6f}, ItemCase{"WithLineEnd", "2.5\r\n", 2.5f},
        ItemCase{"FirstOfTwoItems", "3,1", 3.0f}, ItemCase{"Quoted", "\"2.7\"", 2.7f},
        ItemCase{"QuotedWithCommaInside", "\" 2.8,9\",1", 2.8f},
        ItemCase{"QuoteNeverClosed", "\"4.5", 4.5f}, ItemCase{"LeadingBlanks", "  \t1.9\n", 1.9f},
        ItemCase{"OnlyTheFirstLine", "\n2.9", 0.0f}, ItemCase{"Empty", "", std::nullopt},
        ItemCase{"OnlyBlanks", "   ", std::nullopt},
        ItemCase{"HtmlErrorPage", "<html><body>404 Not Found</body></html>", 0.0f},
        ItemCase{"BinaryWithNuls", QByteArray("\x00\xff\x01\x02", 4), 0.0f},
        ItemCase{"NumberThenBinary", QByteArray("5.5\x00\xff", 5), 5.5f}),
    CaseName());

TEST(VersionFile, MissingFileOrFolderGivesNone) {
    QTemporaryDir folder;
    EXPECT_EQ(ReadVersionFile(folder.path().toStdString() + "/NONE.VER"), std::nullopt);
    EXPECT_EQ(ReadVersionFile(folder.path().toStdString()), std::nullopt);
}

TEST(VersionFile, ReadsOnlyTheHeadOfAHugeFile) {
    // A version followed by far more than the read limit; past the limit the file is sparse, so
    // the test costs no disk space, and a reader that read it all would take many seconds.
    QTemporaryDir folder;
    const std::filesystem::path file = folder.path().toStdString() + "/BIG.VER";
    WriteFile(file, "3.25," + std::string(1000, 'x'));
    std::filesystem::resize_file(file, 8ull << 30);
    EXPECT_EQ(ReadVersionFile(file), 3.25f);
}

} // namespace
} // namespace quillset::test
