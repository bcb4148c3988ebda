#include "cipher/DES_Crypt.h"
#include "platform/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <functional>

namespace quillset::test {
namespace {

// A string whose i-th character (1-based) is the byte i, so a selection shows which positions
// it took and in what order.
std::string Positions(int count) {
    std::string s;
    for (int i = 1; i <= count; ++i)
        s.push_back(static_cast<char>(i));
    return s;
}

std::string Text(const ShortBits& bits) {
    return std::string(bits.view());
}

std::string Picked(std::initializer_list<int> list) {
    std::string s;
    for (int position : list)
        s.push_back(static_cast<char>(position));
    return s;
}

struct PrimitivesTest : ::testing::Test {
    ScriptedDialogs dialogs;
    DES_Crypt des{dialogs};
};

TEST_F(PrimitivesTest, InverseInitialPermutationUndoesTheInitialOne) {
    const std::string block = Positions(64);
    EXPECT_EQ(des.PermuteIPInverse(des.PermuteIP(block)), block);
    EXPECT_NE(des.PermuteIP(block), block);
}

TEST_F(PrimitivesTest, ShortInputsGiveShortSelections) {
    struct Row {
        const char* why;
        std::function<std::string()> run;
        std::string expected;
    };
    const Row rows[] = {
        {"PC-2 of C alone is the first 24 bits of PC-2 of C and D",
         [&] { return Text(des.PermutedChoice2(Positions(28))); },
         std::string(des.PermutedChoice2(Positions(56)).view().substr(0, 24))},
        {"E of an empty half is empty", [&] { return Text(des.ExpandE("")); }, ""},
        {"E of five bits keeps the table's repeats",
         [&] { return Text(des.ExpandE(Positions(5))); }, Picked({1, 2, 3, 4, 5, 4, 5, 1})},
        {"IP of four bits lists them in table order",
         [&] { return Text(des.PermuteIP(Positions(4))); }, Picked({2, 4, 1, 3})},
        {"P of nothing is nothing", [&] { return Text(des.PermuteP("")); }, ""},
        {"IP inverse of one bit", [&] { return Text(des.PermuteIPInverse(Positions(1))); },
         Picked({1})},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.run(), row.expected) << row.why;
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST_F(PrimitivesTest, LengthGuardsAskAboveTheirLimitOnly) {
    using Op = ShortBits (DES_Crypt::*)(std::string_view);
    struct Row {
        Op op;
        std::size_t limit;
        const char* nameLine;
    };
    const Row rows[] = {
        {&DES_Crypt::PermuteIP, 64, "IP function ..."},
        {&DES_Crypt::ExpandE, 32, "E function ..."},
        {&DES_Crypt::PermutedChoice1, 64, "PC-1 function ..."},
        {&DES_Crypt::PermutedChoice2, 56, "PC-2 function ..."},
        {&DES_Crypt::SubstituteSBoxes, 48, "S-box function ..."},
        {&DES_Crypt::PermuteP, 32, "P function ..."},
        {&DES_Crypt::PermuteIPInverse, 64, "IP reverse function ..."},
    };
    for (const Row& row : rows) {
        std::string atLimit;
        for (std::size_t i = 0; i < row.limit; ++i)
            atLimit.push_back(i % 3 == 0 ? '1' : '0');
        const std::string overLimit = atLimit + "1";

        dialogs.clear();
        const ShortBits nominal = (des.*row.op)(atLimit);
        EXPECT_TRUE(dialogs.messages().empty()) << row.nameLine << " asked at its limit";
        EXPECT_NE(nominal.size(), 0u) << row.nameLine;

        dialogs.queueAnswer(MessageAnswer::No);
        EXPECT_EQ((des.*row.op)(overLimit), nominal) << row.nameLine << ": No uses the head";
        EXPECT_FALSE(des.StopProcessing) << row.nameLine;
        ASSERT_EQ(dialogs.messages().size(), 1u) << row.nameLine;
        const MessageBoxRequest& asked = dialogs.messages().front();
        EXPECT_EQ(asked.text, QString::fromLatin1(row.nameLine) +
                                  QStringLiteral("\rThis chunk of bits is > %1 !!!\r\r"
                                                 "Would you like me to stop the processing ???")
                                      .arg(row.limit));
        EXPECT_EQ(asked.title, QStringLiteral("TLUPDATER"));
        EXPECT_EQ(asked.icon, MessageIcon::Question);
        EXPECT_EQ(asked.buttons, MessageButtons::YesNo);
        EXPECT_EQ(asked.defaultAnswer, MessageAnswer::Yes);

        dialogs.queueAnswer(MessageAnswer::Yes);
        EXPECT_EQ((des.*row.op)(overLimit), "") << row.nameLine << ": Yes stops";
        EXPECT_TRUE(des.StopProcessing) << row.nameLine;
        des.StopProcessing = false;
    }
}

TEST(RotateLeftTest, OneOrTwoPlaces) {
    struct Row {
        const char* half;
        int count;
        const char* rotated;
    };
    const Row rows[] = {
        {"100000", 1, "000001"},
        {"100000", 2, "000010"},
        {"1", 2, "1"},
        {"", 1, ""},
        {"", 2, ""},
        {"10", 2, "10"},
        {"1", 1, "1"},
        {"110", 0, "011"},
        {"1100", 5, "0011"},
        {"01", 1, "10"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DES_Crypt::RotateLeft(row.half, row.count), row.rotated)
            << row.half << " by " << row.count;
}

TEST(XorBitsTest, ShortOperandsRepeatTheirLastBit) {
    const std::string ones48(48, '1');
    const std::string first = std::string(24, '0') + std::string(24, '1');
    struct Row {
        const char* why;
        std::string result;
        std::string expected;
    };
    const Row rows[] = {
        {"24-bit subkey ending in 1 covers positions 25-48 with 1",
         Text(DES_Crypt::XorBits48(first, std::string(23, '0') + "1")),
         std::string(23, '0') + "1" + std::string(24, '0')},
        {"24-bit subkey ending in 0 leaves positions 25-48 alone",
         Text(DES_Crypt::XorBits48(first, std::string(23, '1') + "0")),
         std::string(23, '1') + "0" + std::string(24, '1')},
        {"empty second operand returns the first", Text(DES_Crypt::XorBits48(first, "")), first},
        {"both empty give zeros", Text(DES_Crypt::XorBits48("", "")), std::string(48, '0')},
        {"characters beyond 48 are ignored", Text(DES_Crypt::XorBits48(ones48 + "0101", ones48)),
         std::string(48, '0')},
        {"empty first operand returns the second widened", Text(DES_Crypt::XorBits32("", "10")),
         "1" + std::string(31, '0')},
        {"32-bit width", Text(DES_Crypt::XorBits32(std::string(40, '1'), "0")),
         std::string(32, '1')},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.result, row.expected) << row.why;
}

TEST_F(PrimitivesTest, SubstituteSBoxes) {
    EXPECT_EQ(des.SubstituteSBoxes(std::string(48, '0')), "11101111101001110010110001001101");
    // Row from the outer bits, column from the inner four: 100001 is row 3, column 0 of S1 (15).
    EXPECT_EQ(des.SubstituteSBoxes("100001" + std::string(42, '0')).view().substr(0, 4), "1111");
    // Input the cipher never produces still gives 32 bits and no question.
    EXPECT_EQ(des.SubstituteSBoxes("").size(), 32u);
    EXPECT_EQ(des.SubstituteSBoxes("10").size(), 32u);
    EXPECT_EQ(des.SubstituteSBoxes(std::string(48, 'z')).size(), 32u);
    EXPECT_EQ(des.SubstituteSBoxes(std::string(48, '\x80')).size(), 32u);
    EXPECT_TRUE(dialogs.messages().empty());
}

TEST(SBoxTest, NamedBoxesAndOutOfRange) {
    const int firstEntries[8] = {DES_Crypt::SBox1(0, 0), DES_Crypt::SBox2(0, 0),
                                 DES_Crypt::SBox3(0, 0), DES_Crypt::SBox4(0, 0),
                                 DES_Crypt::SBox5(0, 0), DES_Crypt::SBox6(0, 0),
                                 DES_Crypt::SBox7(0, 0), DES_Crypt::SBox8(0, 0)};
    const int expected[8] = {14, 15, 10, 7, 2, 12, 4, 13};
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(firstEntries[k], expected[k]) << "S" << k + 1;
    EXPECT_EQ(DES_Crypt::SBox8(3, 15), 11);
    EXPECT_EQ(DES_Crypt::SBox1(4, 0), 0);
    EXPECT_EQ(DES_Crypt::SBox1(-1, 0), 0);
    EXPECT_EQ(DES_Crypt::SBox1(0, 16), 0);
    EXPECT_EQ(DES_Crypt::sBox(9, 0, 0), 0);
}

} // namespace
} // namespace quillset::test
