#include "cipher/DES_Crypt.h"
#include "fuzz/cipher/DecryptHexTextFuzz.h"

#include <gtest/gtest.h>

#include <random>

namespace quillset::test {
namespace {

// Counts the questions and takes the default, without keeping a million texts.
class CountingDialogs : public Dialogs {
public:
    long questions = 0;
    MessageAnswer showMessage(const MessageBoxRequest& request) override {
        ++questions;
        return request.defaultAnswer;
    }
    QString inputBox(const InputBoxRequest&) override { return {}; }
    QString showOpen(const OpenFileRequest& request) override { return request.fileName; }
};

TEST(HostileInputTest, ShortRandomInputsKeepTheFuzzInvariants) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(round % 70));
        for (std::uint8_t& byte : data)
            byte = static_cast<std::uint8_t>(random());
        EXPECT_EQ(FuzzDecryptHexText(data.data(), data.size()), 0);
    }
}

TEST(HostileInputTest, MegabyteTextsGiveAResult) {
    std::mt19937 random(1);
    const qsizetype size = 1 << 20;
    QString hexDigits(size, Qt::Uninitialized);
    QString noise(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        hexDigits[i] = QLatin1Char("0123456789abcdef"[random() % 16]);
        noise[i] = QChar(static_cast<char16_t>(random()));
    }

    CountingDialogs dialogs;
    DES_Crypt des(dialogs);
    EXPECT_LE(des.DecryptHexText(hexDigits, QStringLiteral("3E71B0C4")).size(), size / 2);
    EXPECT_EQ(dialogs.questions, 0);

    const QString plain = des.DecryptHexText(noise, noise.left(40));
    EXPECT_LE(plain.size(), size / 2);
    EXPECT_GE(dialogs.questions, size / 2) << "nearly every noise character is asked about";
    EXPECT_FALSE(des.StopProcessing);

    // A megabyte key is asked about at PC-1 once per block, not converted anew for each of the
    // 4096 blocks; the default answer stops the schedule, which then reads as all zeros.
    const QString text = hexDigits.left(1 << 16);
    dialogs.questions = 0;
    EXPECT_EQ(des.DecryptHexText(text, hexDigits),
              des.DecryptHexText(text, QStringLiteral("0000000000000000")));
    EXPECT_EQ(dialogs.questions, text.size() / 16);
}

} // namespace
} // namespace quillset::test
