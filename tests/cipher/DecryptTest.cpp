#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"
#include "tests/cipher/OpenSslDes.h"

#include <gtest/gtest.h>

#include <random>

namespace quillset::test {
namespace {

struct DecryptTest : ::testing::Test {
    ScriptedDialogs dialogs;
    DES_Crypt des{dialogs};
    std::mt19937 random{20260408};

    QByteArray randomBytes(int count) {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes.append(static_cast<char>(random() & 0xFF));
        return bytes;
    }
    std::string randomBits(int count) {
        std::string bits;
        for (int i = 0; i < count; ++i)
            bits.push_back(random() & 1 ? '1' : '0');
        return bits;
    }
};

QByteArray BitsToBytes(const std::string& bits) {
    return QByteArray::fromHex(QByteArray::fromStdString(DES_Crypt::bitsToHexText(bits)));
}

TEST_F(DecryptTest, PublishedVectorsDecipherUnderSixteenDigitKeys) {
    struct Row {
        const char* key;
        const char* plain;
        const char* cipher;
    };
    const Row rows[] = {
        {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
        {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
        {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
        {"0101010101010101", "4000000000000000", "DD7F121CA5015619"},
        {"0E329232EA6D0D73", "8787878787878787", "0000000000000000"},
        {"0e329232ea6d0d73", "8787878787878787", "0000000000000000"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(des.DecryptBlock(QString::fromLatin1(row.cipher), QString::fromLatin1(row.key)),
                  QString::fromLatin1(row.plain))
            << row.key << " " << row.cipher;
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(DecryptTest, RandomBlocksEncipheredByOpenSslDecipher) {
    for (int i = 0; i < 200; ++i) {
        const QByteArray key = randomBytes(8);
        const QByteArray plain = randomBytes(8);
        const QString cipher = UpperHex(OpenSslEncipher(key, plain));
        const QString keyText = i % 2 ? UpperHex(key) : UpperHex(key).toLower();
        ASSERT_EQ(des.DecryptBlock(cipher, keyText), UpperHex(plain)) << keyText.toStdString();
    }
}

// For a 32-bit key the schedule uses C alone: 24-bit subkeys whose 24th bit stands for bits
// 25-48. When that bit is the same in all sixteen subkeys, the schedule equals the standard one
// of a 64-bit key whose C half holds the short key's C and whose D half is all that bit, so
// OpenSSL can check it.
TEST_F(DecryptTest, ShortKeyScheduleMatchesStandardDesWithAnEquivalentKey) {
    std::string indices32;
    std::string indices64;
    for (int i = 1; i <= 64; ++i)
        (i <= 32 ? indices32 : indices64).push_back(static_cast<char>(i));
    indices64 = indices32 + indices64;
    const ShortBits shortPC1 = des.PermutedChoice1(indices32);
    const ShortBits fullPC1 = des.PermutedChoice1(indices64);
    ASSERT_EQ(shortPC1.size(), 28u);

    // Positions of C that reach position 2 (PC-2's 24th entry) over the sixteen rotations.
    const int reachingBit24[] = {1, 2, 3, 4, 6, 8, 10, 12, 14, 16, 17, 19, 21, 23, 25, 27};
    for (int trial = 0; trial < 40; ++trial) {
        const char dBit = trial % 2 ? '1' : '0';
        std::string c = randomBits(28);
        for (int position : reachingBit24)
            c[position - 1] = dBit;

        std::string shortKey = randomBits(32);
        for (int i = 0; i < 28; ++i)
            shortKey[static_cast<unsigned char>(shortPC1.view()[i]) - 1] = c[i];
        std::string fullKey = randomBits(64);
        for (int i = 0; i < 56; ++i)
            fullKey[static_cast<unsigned char>(fullPC1.view()[i]) - 1] = i < 28 ? c[i] : dBit;

        const QString shortKeyText = QString::fromStdString(DES_Crypt::bitsToHexText(shortKey));
        ASSERT_EQ(shortKeyText.size(), 8);
        des.computeSubKeys(shortKey);
        for (int n = 1; n <= 16; ++n) {
            ASSERT_EQ(des.SubKeys()[n].size(), 24u) << n;
            ASSERT_EQ(des.SubKeys()[n].view()[23], dBit) << n;
        }

        const QByteArray plain = randomBytes(8);
        const QString cipher = UpperHex(OpenSslEncipher(BitsToBytes(fullKey), plain));
        ASSERT_EQ(des.DecryptBlock(cipher, shortKeyText), UpperHex(plain))
            << shortKeyText.toStdString();
    }
}

TEST_F(DecryptTest, EmptyKeyActsAsSixteenZeros) {
    for (int i = 0; i < 20; ++i) {
        const QString text = UpperHex(randomBytes(1 + i * 3)).left(2 * i + 5);
        EXPECT_EQ(des.DecryptHexText(text, QString()),
                  des.DecryptHexText(text, QStringLiteral("0000000000000000")));
    }
    const QByteArray zeroKey(8, '\0');
    EXPECT_EQ(des.DecryptHexText(UpperHex(OpenSslEncipher(zeroKey, "Quillset")), QString()),
              QStringLiteral("Quillset"));
}

TEST_F(DecryptTest, TextIsCutIntoBlocksAndTrimmedOfSpacesOnly) {
    const QByteArray key = QByteArray::fromHex("0123456789ABCDEF");
    const QString keyText = UpperHex(key);
    auto enciphered = [&](const QByteArray& plain) {
        EXPECT_EQ(plain.size() % 8, 0);
        QString text;
        for (qsizetype i = 0; i < plain.size(); i += 8)
            text += UpperHex(OpenSslEncipher(key, plain.mid(i, 8)));
        return text;
    };
    const QString shortBlock = DES_Crypt::HexToText(des.DecryptBlock(u"1234", keyText));
    ASSERT_EQ(shortBlock.size(), 8);

    struct Row {
        const char* why;
        QString text;
        QString plain;
    };
    const Row rows[] = {
        {"empty text", QString(), QString()},
        {"six blocks", enciphered("http://example.org/quillset/updates/for/you.html"),
         QStringLiteral("http://example.org/quillset/updates/for/you.html")},
        {"spaces at both ends go, inner ones stay", enciphered("  ab cd   x     "),
         QStringLiteral("ab cd   x")},
        {"NUL and tab are not trimmed", enciphered(QByteArray("\0ab\t  ", 6) + "  "),
         QString(QChar(0)) + QStringLiteral("ab\t")},
        {"all spaces", enciphered("        "), QString()},
        {"a short last block gives 8 characters too", enciphered("Quillset") + "1234",
         QStringLiteral("Quillset") + shortBlock},
        {"Windows-1252 characters", enciphered("\x80 \x92\xE9t\xE9\xFF\x9F"),
         QString(QChar(0x20AC)) + QLatin1Char(' ') + QChar(0x2019) + QChar(0xE9) +
             QLatin1Char('t') + QChar(0xE9) + QChar(0xFF) + QChar(0x178)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(des.DecryptHexText(row.text, keyText), row.plain) << row.why;
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(DecryptTest, InvalidDigitsCostOneQuestionEachAndAreLeftOut) {
    const QString key = QStringLiteral("3E71B0C4");
    const QString block = QStringLiteral("0123456789ABCDE");
    for (MessageAnswer answer : {MessageAnswer::Yes, MessageAnswer::No}) {
        dialogs.clear();
        dialogs.queueAnswer(answer);
        EXPECT_EQ(des.DecryptBlock(QStringLiteral("0123G456789ABCDE"), key),
                  des.DecryptBlock(block, key));
        EXPECT_EQ(dialogs.messages().size(), 1u);
        EXPECT_FALSE(des.StopProcessing);
    }

    const QString sixBlocks = UpperHex(randomBytes(48));
    const QString plain = des.DecryptHexText(sixBlocks, key);
    dialogs.clear();
    dialogs.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(des.DecryptHexText(sixBlocks, QStringLiteral("3E71xB0C4")), plain);
    EXPECT_EQ(dialogs.messages().size(), 6u) << "the key is converted again for every block";
    EXPECT_FALSE(des.StopProcessing);
}

TEST_F(DecryptTest, OverLongKeyAsksOncePerBlock) {
    const QString key = QStringLiteral("0123456789ABCDEF");
    const QString longKey = key + QStringLiteral("77");
    const QString text = UpperHex(randomBytes(16));

    dialogs.queueAnswer(MessageAnswer::No);
    dialogs.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(des.DecryptHexText(text, longKey), des.DecryptHexText(text, key))
        << "No uses the first 64 key bits";
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_TRUE(dialogs.messages().front().text.startsWith(QStringLiteral("PC-1 function ...")));

    dialogs.clear();
    EXPECT_EQ(des.DecryptHexText(text, longKey),
              des.DecryptHexText(text, QStringLiteral("0000000000000000")))
        << "Yes (the default) leaves the schedule empty, read as all zeros";
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_FALSE(des.StopProcessing);
}

TEST_F(DecryptTest, OverLongBlockGuardYesGivesNothingForTheBlock) {
    const QString key = QStringLiteral("3E71B0C4");
    const QString block = QStringLiteral("0123456789ABCDEF");
    dialogs.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(des.DecryptBlock(block + QStringLiteral("5"), key), QString());
    EXPECT_FALSE(des.StopProcessing);
    dialogs.queueAnswer(MessageAnswer::No);
    EXPECT_EQ(des.DecryptBlock(block + QStringLiteral("5"), key), des.DecryptBlock(block, key));
    EXPECT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(des.DecryptBlock(QString(), key).size(), 16)
        << "an empty block still gives 16 digits";
}

} // namespace
} // namespace quillset::test
