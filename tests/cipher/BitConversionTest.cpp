#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

struct CipherFixture : ::testing::Test {
    ScriptedDialogs dialogs;
    DES_Crypt des{dialogs};
};

using HexDigitToBitsTest = CipherFixture;

TEST_F(HexDigitToBitsTest, EveryDigitOfEitherCaseGivesItsNibble) {
    const QString upper = QStringLiteral("0123456789ABCDEF");
    const QString lower = QStringLiteral("0123456789abcdef");
    for (int value = 0; value < 16; ++value) {
        std::string expected;
        for (int bit = 3; bit >= 0; --bit)
            expected.push_back((value >> bit) & 1 ? '1' : '0');
        EXPECT_EQ(des.HexDigitToBits(QStringView(upper).mid(value, 1)), expected) << value;
        EXPECT_EQ(des.HexDigitToBits(QStringView(lower).mid(value, 1)), expected) << value;
    }
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(HexDigitToBitsTest, NonDigitAsksOnceQuotingTheArgumentAsGiven) {
    struct Row {
        const char* why;
        QString argument;
    };
    const Row rows[] = {
        {"letter past F", QStringLiteral("G")},
        {"lower-case letter past f is not upper-cased in the question", QStringLiteral("g")},
        {"space", QStringLiteral(" ")},
        {"empty string", QString()},
        {"two valid digits are not one digit", QStringLiteral("AB")},
        {"non-ASCII letter", QString(QChar(0x00C4))},
        {"full-width digit", QString(QChar(0xFF11))},
    };
    for (const Row& row : rows) {
        dialogs.clear();
        EXPECT_EQ(des.HexDigitToBits(row.argument), "") << row.why;
        ASSERT_EQ(dialogs.messages().size(), 1u) << row.why;
        const MessageBoxRequest& asked = dialogs.messages().front();
        EXPECT_EQ(asked.text, QStringLiteral("Can't convert hex to binary !!!\r\r") + row.argument +
                                  QStringLiteral("  is not valid hex digit ...\r\r"
                                                 "Do you want to continue ???"))
            << row.why;
        EXPECT_EQ(asked.title, QStringLiteral("TLUPDATER"));
        EXPECT_EQ(asked.icon, MessageIcon::Question);
        EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
        EXPECT_EQ(asked.defaultAnswer, MessageAnswer::Yes);
    }
}

TEST_F(HexDigitToBitsTest, NoRaisesStopProcessingAndYesLeavesItAsItWas) {
    dialogs.queueAnswer(MessageAnswer::Yes);
    des.HexDigitToBits(u"G");
    EXPECT_FALSE(des.StopProcessing);

    dialogs.queueAnswer(MessageAnswer::No);
    des.HexDigitToBits(u"G");
    EXPECT_TRUE(des.StopProcessing);

    dialogs.queueAnswer(MessageAnswer::Yes);
    des.HexDigitToBits(u"G");
    EXPECT_TRUE(des.StopProcessing) << "a Yes must not clear an earlier stop";
}

TEST_F(HexDigitToBitsTest, HexTextSkipsInvalidDigitsAndClearsTheStopAfterEach) {
    dialogs.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(des.hexTextToBits(u"0G1"), "00000001");
    EXPECT_EQ(dialogs.messages().size(), 1u);
    EXPECT_FALSE(des.StopProcessing);
}

TEST(BitsToHexTest, GroupsAndWholeStrings) {
    EXPECT_EQ(DES_Crypt::BitsToHexDigit("1010"), "A");
    EXPECT_EQ(DES_Crypt::BitsToHexDigit("0000"), "0");
    EXPECT_EQ(DES_Crypt::BitsToHexDigit("1111"), "F");
    EXPECT_EQ(DES_Crypt::BitsToHexDigit("101"), "") << "not one of the sixteen groups";
    EXPECT_EQ(DES_Crypt::BitsToHexDigit("10a0"), "");
    EXPECT_EQ(DES_Crypt::bitsToHexText(std::string(64, '0')), std::string(16, '0'));
    EXPECT_EQ(DES_Crypt::bitsToHexText("0001001000110100010101100111100010011010101111001101"
                                       "111011110000"),
              "123456789ABCDEF0");
}

TEST(BaseConversionTest, DecimalToBaseAndBack) {
    struct Row {
        int value;
        int base;
        const char* digits;
    };
    const Row rows[] = {{0, 2, "0"},    {5, 2, "101"}, {15, 2, "1111"},
                        {10, 16, "A"},  {35, 36, "Z"}, {255, 16, "FF"},
                        {8, 2, "1000"}, {1, 2, "1"},   {32767, 16, "7FFF"}};
    for (const Row& row : rows) {
        EXPECT_EQ(DES_Crypt::DecimalToBase(row.value, row.base), row.digits) << row.value;
        EXPECT_EQ(DES_Crypt::BaseToDecimal(row.digits, row.base), row.value) << row.digits;
    }
    EXPECT_EQ(DES_Crypt::BaseToDecimal("", 2), 0.0);
    EXPECT_EQ(DES_Crypt::BaseToDecimal("0101", 2), 5.0) << "leading zeros";
}

TEST(BaseConversionTest, ValuesOutsideTheModulesUseEndWithoutHanging) {
    EXPECT_EQ(DES_Crypt::DecimalToBase(-5, 2), "-101");
    EXPECT_EQ(DES_Crypt::DecimalToBase(-32768, 16), "-8000");
    EXPECT_EQ(DES_Crypt::DecimalToBase(7, 1), "");
    EXPECT_EQ(DES_Crypt::DecimalToBase(7, 0), "");
}

TEST(HexToTextTest, PairsBecomeCodePageCharacters) {
    struct Row {
        const char* why;
        QString hex;
        QString text;
    };
    const Row rows[] = {
        {"plain letters", QStringLiteral("414243"), QStringLiteral("ABC")},
        {"empty", QString(), QString()},
        {"space kept", QStringLiteral("2041"), QStringLiteral(" A")},
        {"NUL kept", QStringLiteral("0041"), QString(QChar(0)) + QLatin1Char('A')},
        {"lower-case digits", QStringLiteral("6a"), QStringLiteral("j")},
        {"Windows-1252 euro sign", QStringLiteral("80"), QString(QChar(0x20AC))},
        {"Windows-1252 right quote", QStringLiteral("92"), QString(QChar(0x2019))},
        {"Latin-1 range", QStringLiteral("E9FF"), QString(QChar(0xE9)) + QChar(0xFF)},
        {"odd length: last single digit", QStringLiteral("41F"), QStringLiteral("A") + QChar(0x0F)},
        {"non-digit ends a pair's number", QStringLiteral("4G"), QString(QChar(4))},
        {"non-digit first gives code 0", QStringLiteral("G4"), QString(QChar(0))},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DES_Crypt::HexToText(row.hex), row.text) << row.why;
}

} // namespace
} // namespace quillset::test
