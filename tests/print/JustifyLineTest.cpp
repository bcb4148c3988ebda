#include "print/RecordingSurface.h"
#include "print/TextPrintingModule.h"
#include "tests/support/CaseName.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace quillset::test {
namespace {

struct JustifyCase {
    const char* name;
    int n;
    QString line;
    QString expected;
};

class JustifyLineExamples : public testing::TestWithParam<JustifyCase> {};

TEST_P(JustifyLineExamples, WidensSpacesLeftmostFirst) {
    const JustifyCase& c = GetParam();
    EXPECT_EQ(JustifyLine(std::int16_t(c.n), c.line), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    JustifyLine, JustifyLineExamples,
    testing::Values(JustifyCase{"ThreeWordsNeedASecondPass", 12, "ab cd ef", "ab    cd  ef"},
                    JustifyCase{"TwoWordsFillTheLine", 12, "ab cd", "ab        cd"},
                    JustifyCase{"LastDoubledSpaceBecomesThree", 10, "a b c d", "a  b   c d"},
                    JustifyCase{"OneShortComesBackWithoutDoubledFirstLetter", 10, "the quick ",
                                "the quick"},
                    JustifyCase{"OneShortAfterTrimmingOuterSpaces", 4, "  a b ", "a b"},
                    JustifyCase{"SingleWordIsOnlyTrimmed", 10, "brown ", "brown"},
                    JustifyCase{"LongerThanTheLineStaysAsIs", 5, "abc defg", "abc defg"},
                    JustifyCase{"OuterSpacesDoNotCountAsGaps", 8, "  ab cd  ", "ab    cd"},
                    JustifyCase{"OnlySpacesGiveAnEmptyLine", 10, "     ", ""},
                    JustifyCase{"NoCapacityLeavesTheLineTrimmed", 0, " x y ", "x y"}),
    CaseName());

// Whatever the words, a widened line fills the line exactly and keeps its words in order.
TEST(JustifyLine, FillsTheLineAndKeepsTheWords) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const int n = std::uniform_int_distribution(3, 80)(random);
        QString line;
        const int words = std::uniform_int_distribution(2, 8)(random);
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                line += QString(std::uniform_int_distribution(1, 3)(random), u' ');
            line += QString(std::uniform_int_distribution(1, 6)(random), QChar(u'a' + w));
        }
        const QString result = JustifyLine(std::int16_t(n), line);
        const QStringList expectedWords = line.split(u' ', Qt::SkipEmptyParts);
        ASSERT_EQ(result.split(u' ', Qt::SkipEmptyParts), expectedWords) << line.toStdString();
        const qsizetype trimmed = line.trimmed().size();
        if (trimmed >= n - 1)
            EXPECT_EQ(result, line.trimmed()) << "n=" << n << " '" << line.toStdString() << "'";
        else
            EXPECT_EQ(result.size(), n) << "n=" << n << " '" << line.toStdString() << "'";
    }
}

struct PreparationCase {
    const char* name;
    QString text;
    QString expected;
};

class TextPreparation : public testing::TestWithParam<PreparationCase> {};

TEST_P(TextPreparation, MarksParagraphsAndJoinsLines) {
    EXPECT_EQ(PrepareParagraphText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    PrintParagraphs, TextPreparation,
    testing::Values(
        PreparationCase{"BlankLineIsOneMark", "one\r\n\r\ntwo", "one\r\ntwo"},
        PreparationCase{"SingleBreakJoinsWithoutSpace", "end\r\nstart", "endstart"},
        PreparationCase{"ThreeBreaksAreOneMark", "a\r\n\r\n\r\nb", "a\r\nb"},
        PreparationCase{"FourBreaksAreTwoMarks", "a\r\n\r\n\r\n\r\nb", "a\r\n\r\nb"},
        PreparationCase{"TypedPercentPairIsAMark", "a%%b", "a\r\nb"},
        PreparationCase{"PercentBeforeBlankLinePairsFromTheLeft", "%\r\n\r\nx", "\r\n%x"},
        PreparationCase{"LoneCarriageReturnAndLineFeedStay", "a\rb\nc\n\rd", "a\rb\nc\n\rd"},
        PreparationCase{"TrailingBreakDisappears", "the end\r\n", "the end"},
        PreparationCase{"NulAndTabAreOrdinaryCharacters", QString("a\tb") + QChar(0) + "c",
                        QString("a\tb") + QChar(0) + "c"},
        PreparationCase{"EmptyStaysEmpty", "", ""}),
    CaseName());

// Glyphs of this surface are 100 twips wide at 10 points.
struct CapacityCase {
    const char* name;
    std::int32_t width;
    int expected;
};

class LineCapacity : public testing::TestWithParam<CapacityCase> {};

TEST_P(LineCapacity, CountsTheLettersThatStayBelowTheWidth) {
    RecordingSurface surface(10, 10);
    surface.SetWidth(GetParam().width);
    EXPECT_EQ(CharsPerLine(surface, "Courier New", 10), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(CharsPerLine, LineCapacity,
                         testing::Values(CapacityCase{"RoomForTenAndAHalf", 1050, 10},
                                         CapacityCase{"TenExactlyWideIsNine", 1000, 9},
                                         CapacityCase{"OneLetterExactlyWideIsZero", 100, 0},
                                         CapacityCase{"JustOverOneLetter", 101, 1},
                                         CapacityCase{"NoWidth", 0, -1},
                                         CapacityCase{"NegativeWidth", -5, -1},
                                         CapacityCase{"LargestSixteenBitCapacity", 3276800, 32767}),
                         CaseName());

TEST(CharsPerLine, AgreesWithGrowingTheRowOneLetterAtATime) {
    // Uneven glyph widths so the boundaries fall between whole twips.
    RecordingSurface surface(0.97f, 10);
    for (std::int32_t width = -3; width < 1500; width += 7) {
        surface.SetWidth(width);
        QString probe;
        while (float(width) > surface.TextWidth(probe))
            probe += u'H';
        ASSERT_EQ(CharsPerLine(surface, "Courier New", 8.25f), probe.size() - 1)
            << "width " << width;
    }
}

TEST(CharsPerLine, LeavesTheTrimmedFontSet) {
    RecordingSurface surface;
    surface.SetWidth(2370);
    CharsPerLine(surface, "  Courier New ", 9.75f);
    EXPECT_EQ(surface.FontName(), "Courier New");
    EXPECT_FLOAT_EQ(surface.FontSize(), 9.75f);
}

TEST(CharsPerLine, RefusesCapacitiesBeyondSixteenBitsInsteadOfLooping) {
    RecordingSurface wide(10, 10);
    wide.SetWidth(3276801);
    EXPECT_THROW(CharsPerLine(wide, "Courier New", 10), std::overflow_error);
    // A face whose letters take no room would grow the row forever.
    RecordingSurface weightless(0, 10);
    weightless.SetWidth(1000);
    EXPECT_THROW(CharsPerLine(weightless, "Courier New", 10), std::overflow_error);
}

} // namespace
} // namespace quillset::test
