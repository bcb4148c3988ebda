// The five callbacks as the engine calls them, without the engine.
#include "tests/support/CaseName.h"
#include "tests/unzip/UnzipFixture.h"

#include <cstring>

namespace quillset::test {
namespace {

struct PrintCase {
    const char* name;
    std::vector<std::pair<std::string, std::uint32_t>> pieces; // bytes and the length passed
    QString messages;
};

class Printing : public UnzipFixture, public ::testing::WithParamInterface<PrintCase> {};

TEST_P(Printing, PiecesAreCollectedUpToLengthOrNul) {
    for (const auto& [bytes, length] : GetParam().pieces)
        EXPECT_EQ(module.UnzipPrintCallback(bytes.data(), length), 0);
    EXPECT_EQ(module.LastUnzipMessage(), GetParam().messages);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, Printing,
    ::testing::Values(
        PrintCase{"LeadingLineFeedBecomesOnlyCrLf", {{"a", 1}, {"\nrest is dropped", 16}}, "a\r\n"},
        PrintCase{"LineFeedInsideIsKept", {{"a\nb", 3}}, "a\nb"},
        PrintCase{"StopsAtNul", {{std::string("abc\0def", 7), 7}}, "abc"},
        PrintCase{"StopsAtLength", {{"abcdef", 3}}, "abc"},
        PrintCase{"CodePageBytes", {{"\x80 \xe9", 3}}, QStringLiteral("€ é")}),
    CaseName());

TEST_F(UnzipFixture, PasswordIsCutToTheBufferAndEndsInNul) {
    password = QStringLiteral("contraseña");
    char buffer[6];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(module.UnzipPasswordCallback(buffer, sizeof buffer, "Password: ", "a.txt"), 0);
    EXPECT_EQ(std::string(buffer, sizeof buffer), std::string("contr\0", 6));

    char wide[16];
    std::memset(wide, 'x', sizeof wide);
    EXPECT_EQ(module.UnzipPasswordCallback(wide, sizeof wide, "Password: ", "a.txt"), 0);
    EXPECT_EQ(std::string(wide, 11), std::string("contrase\xf1"
                                                 "a\0",
                                                 11));
    EXPECT_EQ(std::string(wide + 11, 5), std::string(5, '\0'));
    EXPECT_TRUE(dialogs.inputBoxes().empty());
}

TEST_F(UnzipFixture, ListingHeaderComesOnlyBeforeTheFirstEntry) {
    module.UnzipListingCallback(123456, 3, 7, 2003, 9, 5, "EDITOR.EXE");
    module.UnzipListingCallback(12, 12, 31, 1999, 23, 59, "README.TXT");
    const QStringList lines = module.UnzipListing().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("Filename:") + QString(43, ' ') + "Size" + QString(5, ' ') +
                            "Date" + QString(5, ' ') + "Time" + QString(6, ' '));
    EXPECT_EQ(lines[1], QStringLiteral("EDITOR.EXE") + QString(41, ' ') +
                            "123456  03/07/03   9:05" + QString(6, ' '));
    EXPECT_EQ(lines[2].mid(50, 24), QStringLiteral("     12  12/31/99  23:59"));
    EXPECT_TRUE(lines[3].isEmpty());
    EXPECT_EQ(module.ListingLineCount(), 2);
}

TEST_F(UnzipFixture, LongNamesAreCutInTheListingAndTheQuestion) {
    const std::string longName(300, 'n');
    module.UnzipListingCallback(1, 1, 1, 2001, 0, 0, longName.c_str());
    const QString line = module.UnzipListing().section(QStringLiteral("\r\n"), 1, 1);
    EXPECT_EQ(line.size(), 80);
    EXPECT_EQ(line.left(51), QString(50, 'n') + ' ');

    dialogs.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(module.UnzipReplaceCallback(longName.c_str()), UZ_REPLACE_NO);
    EXPECT_EQ(dialogs.messages().back().text,
              QStringLiteral("Overwrite ") + QString(256, 'n') + QLatin1Char('?'));
}

} // namespace
} // namespace quillset::test
