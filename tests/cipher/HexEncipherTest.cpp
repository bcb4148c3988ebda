#include "tools/hexcipher/HexEncipher.h"
#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"
#include "tests/support/ProgramRun.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <random>

namespace quillset::test {
namespace {

const QString kKey = QStringLiteral("3E71B0C4");

QString WithoutOuterSpaces(QString text) {
    while (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

TEST(HexEncipherTest, EveryLengthUpToFortyEightRoundTripsUnderTheAgentsKey) {
    ScriptedDialogs dialogs;
    DES_Crypt des(dialogs);
    std::mt19937 random(48);
    // Printable characters of the code page, the space and the Windows-1252 extras included.
    const QString alphabet = QStringLiteral(" aZ09:/.#%&?=_-~") + QChar(0x20AC) + QChar(0x2019) +
                             QChar(0xE9) + QChar(0xFF) + QChar(0x178);
    for (int length = 0; length <= 48; ++length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text.append(alphabet[static_cast<qsizetype>(random() % alphabet.size())]);
        const QString hex = EncipherHexText(des, text, kKey);
        EXPECT_EQ(hex.size(), (length + 7) / 8 * 16) << length;
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]*$")).match(hex).hasMatch());
        EXPECT_EQ(des.DecryptHexText(hex, kKey), WithoutOuterSpaces(text)) << length;
    }
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST(HexEncipherTest, AgreesWithStandardDesForSixteenDigitKeys) {
    ScriptedDialogs dialogs;
    DES_Crypt des(dialogs);
    EXPECT_EQ(EncipherHexText(des, QStringLiteral("Now is t"), QStringLiteral("0123456789ABCDEF")),
              QStringLiteral("3FA40E8A984D4815"));
}

TEST(HexEncipherTest, CodePageCheck) {
    EXPECT_TRUE(FitsAnsiCodePage(QStringLiteral("Quill#53 ") + QChar(0x20AC) + QChar(0xFF)));
    EXPECT_FALSE(FitsAnsiCodePage(QString(QChar(0x0100))));
    EXPECT_FALSE(FitsAnsiCodePage(QStringLiteral("?") + QChar(0x4E2D)));
}

TEST(HexcipherProgramTest, EnciphersAndDeciphersFromTheCommandLine) {
    const ProgramRun enciphered =
        RunProgram("hexcipher", {"encipher", QStringLiteral("Quill\u20AC 53"), kKey});
    ASSERT_EQ(enciphered.exitCode, 0) << enciphered.err.toStdString();
    const QString hex = enciphered.out.trimmed();
    EXPECT_EQ(hex.size(), 32) << "nine characters take two blocks";

    const ProgramRun deciphered = RunProgram("hexcipher", {"decipher", hex.toLower(), kKey});
    EXPECT_EQ(deciphered.exitCode, 0);
    EXPECT_EQ(deciphered.out, QStringLiteral("Quill\u20AC 53\n"));
    EXPECT_TRUE(deciphered.err.isEmpty());

    const ProgramRun padded = RunProgram("hexcipher", {"encipher", "ab", kKey, "--pad", "48"});
    EXPECT_EQ(padded.exitCode, 0);
    EXPECT_EQ(padded.out.trimmed().size(), 96);
}

TEST(HexcipherProgramTest, QuestionsGoToStandardErrorAndBadUseFails) {
    const ProgramRun asked = RunProgram("hexcipher", {"decipher", "0G", kKey});
    EXPECT_EQ(asked.exitCode, 0);
    EXPECT_TRUE(asked.err.contains(QStringLiteral("G  is not valid hex digit ...")))
        << asked.err.toStdString();
    EXPECT_EQ(asked.out.count(QLatin1Char('\n')), 1);

    struct Row {
        const char* why;
        QStringList arguments;
        int exitCode;
    };
    const Row rows[] = {
        {"text longer than the pad width", {"encipher", "123456789", kKey, "--pad", "8"}, 1},
        {"character outside the code page", {"encipher", QString(QChar(0x4E2D)), kKey}, 1},
        {"bad pad width", {"encipher", "a", kKey, "--pad", "x"}, 2},
        {"unknown command", {"scramble", "a", kKey}, 2},
        {"missing key", {"decipher", "00"}, 2},
        {"extra argument", {"decipher", "00", kKey, "more"}, 2},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RunProgram("hexcipher", row.arguments).exitCode, row.exitCode) << row.why;
}

} // namespace
} // namespace quillset::test
