#include "print/RecordingSurface.h"
#include "print/TextPrintingModule.h"
#include "tests/support/CaseName.h"

#include <gtest/gtest.h>

#include <random>

namespace quillset::test {
namespace {

// At 10 points this surface's letters are 100 twips wide and its text lines 100 twips high, so
// a width of 1050 gives lines of 10 cells of 105 twips.
constexpr float kSize = 10;
constexpr float kLineHeight = 100;
constexpr std::int32_t kTenCells = 1050;
constexpr std::int32_t kCell = 105;
constexpr OleColor kColour = 0x00123456;

struct DrawnLine {
    QString text;
    float top = 0;
    bool operator==(const DrawnLine&) const = default;
};

void PrintTo(const DrawnLine& line, std::ostream* out) {
    QString shown = line.text;
    shown.replace(u'\r', QStringLiteral("<CR>")).replace(u'\n', QStringLiteral("<LF>"));
    *out << "'" << shown.toStdString() << "' at " << line.top;
}

// Consecutive characters drawn at one height make a line; each must sit in its own cell.
std::vector<DrawnLine> DrawnLines(const RecordingSurface& surface, std::int32_t cell) {
    std::vector<DrawnLine> lines;
    for (const auto& op : surface.texts()) {
        if (lines.empty() || lines.back().top != op.y)
            lines.push_back({{}, op.y});
        EXPECT_EQ(op.text.size(), 1);
        EXPECT_FLOAT_EQ(op.x, float(lines.back().text.size() * cell)) << op.text.toStdString();
        lines.back().text += op.text;
    }
    return lines;
}

struct LayoutCase {
    const char* name;
    QString text;
    std::int32_t width;
    std::int32_t height;
    std::vector<DrawnLine> expected;
};

class ParagraphLayout : public testing::TestWithParam<LayoutCase> {};

TEST_P(ParagraphLayout, DrawsTheLinesInTheCharacterGrid) {
    const LayoutCase& c = GetParam();
    RecordingSurface surface(10, 10);
    surface.SetWidth(c.width);
    surface.SetHeight(c.height);
    surface.SetCurrentY(5000);
    EXPECT_TRUE(PrintParagraphs(surface, c.text, "Courier New", kSize, kColour));
    const std::int32_t n = std::max<std::int32_t>(CharsPerLine(surface, "Courier New", kSize), 1);
    EXPECT_EQ(DrawnLines(surface, c.width / n), c.expected);
}

// Line pitch: one text line (100) plus 25, or plus 75 for a line ending a paragraph.
INSTANTIATE_TEST_SUITE_P(
    PrintParagraphs, ParagraphLayout,
    testing::Values(
        LayoutCase{"QuickBrownFoxAtTen",
                   "the quick brown fox",
                   kTenCells,
                   10000,
                   {{"the quick", 25}, {"brown", 150}, {"fox", 275}}},
        LayoutCase{"LastLineCutBackAndJustified",
                   "aa bb cc",
                   kTenCells,
                   10000,
                   {{"aa      bb", 25}, {"cc", 150}}},
        LayoutCase{"WordEndingAtTheLineEndMovesDown",
                   "abcd efghi jk",
                   kTenCells,
                   10000,
                   {{"abcd", 25}, {"efghi", 150}, {"jk", 275}}},
        LayoutCase{"ParagraphMarkEndsWithCrAndNextLineStartsWithLf",
                   "one two\r\n\r\nthree",
                   kTenCells,
                   10000,
                   {{"one two\r", 75}, {"\nthree", 200}}},
        LayoutCase{
            "SingleBreakJoinsTheWords", "end\r\nstart", kTenCells, 10000, {{"endstart", 25}}},
        LayoutCase{"TypedPercentPairStartsAParagraph",
                   "one%%two",
                   kTenCells,
                   10000,
                   {{"one\r", 75}, {"\ntwo", 200}}},
        LayoutCase{"WordLongerThanTheLineRunsOnWithoutHyphen",
                   "abcdefghijklmnop",
                   kTenCells,
                   10000,
                   {{"abcdefghij", 25}, {"klmnop", 150}}},
        LayoutCase{
            "BlankLineDrawsNothingAndKeepsItsPlace", "          x", kTenCells, 10000, {{"x", 25}}},
        LayoutCase{"TabAndNulKeepTheirCells",
                   QString("a\tb") + QChar(0) + " c",
                   kTenCells,
                   10000,
                   {{QString("a\tb") + QChar(0), 25}, {"c", 150}}},
        LayoutCase{"LineTopExactlyAtHeightIsDrawn",
                   "aaaa bbbb cccc dddd",
                   kTenCells,
                   275,
                   {{"aaaa bbbb", 25}, {"cccc", 150}, {"dddd", 275}}},
        LayoutCase{"LineTopBelowHeightStopsTheText",
                   "aaaa bbbb cccc dddd",
                   kTenCells,
                   274,
                   {{"aaaa bbbb", 25}, {"cccc", 150}}},
        LayoutCase{"EmptyText", "", kTenCells, 10000, {}},
        LayoutCase{"TooNarrowForOneLetter", "the quick brown fox", 100, 10000, {}},
        LayoutCase{"NoWidth", "the quick brown fox", 0, 10000, {}},
        LayoutCase{"TooShortForTheFirstLine", "the quick brown fox", kTenCells, 24, {}}),
    CaseName());

TEST(PrintParagraphs, DrawsInTheGivenFontAndColourUpright) {
    RecordingSurface surface(10, 10);
    surface.SetWidth(kTenCells);
    surface.SetHeight(10000);
    surface.SetFontItalic(true);
    EXPECT_TRUE(PrintParagraphs(surface, "the quick brown fox", " Courier New", 8.25f, kColour));
    ASSERT_FALSE(surface.texts().empty());
    for (const auto& op : surface.texts()) {
        EXPECT_EQ(op.fontName, " Courier New");
        EXPECT_FLOAT_EQ(op.fontSize, 8.25f);
        EXPECT_EQ(op.color, kColour);
        EXPECT_FALSE(op.italic);
    }
    EXPECT_FLOAT_EQ(surface.CurrentY(), surface.texts().back().y + 8.25f * 10);
}

// Fails on a chosen PrintText or on every TextWidth, like a device that gives out.
class FailingSurface : public RecordingSurface {
public:
    FailingSurface(int failingPrint, bool failMeasuring)
        : RecordingSurface(10, 10), failingPrint_(failingPrint), failMeasuring_(failMeasuring) {}

    float TextWidth(const QString& text) const override {
        if (failMeasuring_)
            throw PrintFailure("device lost");
        return RecordingSurface::TextWidth(text);
    }
    void PrintText(const QString& text) override {
        if (++prints_ == failingPrint_)
            throw PrintFailure("device lost");
        RecordingSurface::PrintText(text);
    }

private:
    int failingPrint_;
    bool failMeasuring_;
    int prints_ = 0;
};

// Nothing is thrown or shown: the reason is answered for the caller's failure log.
TEST(PrintParagraphs, StopsAtAFailureWithItsReasonAndKeepsWhatWasDrawn) {
    struct Case {
        const char* name;
        int failingPrint;
        bool failMeasuring;
        std::int32_t width;
        qsizetype drawn;
        const char* reason;
    };
    for (const Case& c :
         {Case{"FailingTwelfthLetter", 12, false, kTenCells, 11, "device lost"},
          Case{"FailingMeasurement", 0, true, kTenCells, 0, "device lost"},
          Case{"CapacityBeyondSixteenBits", 0, false, 3276801, 0, "exceeds 16 bits"}}) {
        FailingSurface surface(c.failingPrint, c.failMeasuring);
        surface.SetWidth(c.width);
        surface.SetHeight(10000);
        const Result<void> drawn =
            PrintParagraphs(surface, "the quick brown fox", "Courier New", 10, 0);
        ASSERT_FALSE(drawn) << c.name;
        EXPECT_TRUE(drawn.reason().contains(c.reason)) << c.name;
        EXPECT_EQ(qsizetype(surface.texts().size()), c.drawn) << c.name;
    }
}

QString WithoutSpaces(QString text) {
    return text.remove(u' ');
}

// Random texts of awkward characters on random widths: every character other than a space is
// drawn once, in order, and no line leaves its grid.
TEST(PrintParagraphs, LosesNoCharacterOfAnyText) {
    const QString alphabet = QString("ab  cd\r\n%\t") + QChar(0) + QChar(0xE9);
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int length = std::uniform_int_distribution(0, 400)(random);
        for (int i = 0; i < length; ++i)
            text +=
                alphabet[std::uniform_int_distribution<qsizetype>(0, alphabet.size() - 1)(random)];
        RecordingSurface surface(10, 10);
        const std::int32_t width = std::uniform_int_distribution(101, 6000)(random);
        surface.SetWidth(width);
        surface.SetHeight(10'000'000);
        ASSERT_TRUE(PrintParagraphs(surface, text, "Courier New", kSize, kColour));

        const int n = CharsPerLine(surface, "Courier New", kSize);
        QString drawn;
        float previousBottom = 0;
        for (const DrawnLine& line : DrawnLines(surface, width / n)) {
            EXPECT_LE(line.text.size(), n);
            EXPECT_GE(line.top, previousBottom + 25);
            previousBottom = line.top + kLineHeight;
            drawn += line.text;
        }
        ASSERT_EQ(WithoutSpaces(drawn), WithoutSpaces(PrepareParagraphText(text)))
            << "round " << round << " width " << width;
    }
}

// Counts instead of recording, so a megabyte of text stays cheap to check.
class CountingSurface : public RecordingSurface {
public:
    CountingSurface() : RecordingSurface(10, 10) {}
    void PrintText(const QString& text) override {
        if (text != u" ")
            ++drawn;
        SetCurrentX(0);
        SetCurrentY(CurrentY() + lineHeight());
    }
    qsizetype drawn = 0;
};

TEST(PrintParagraphs, LaysOutAMegabyteOnNarrowAndWideSurfaces) {
    QString text;
    std::mt19937 random(3);
    while (text.size() < 1'000'000) {
        const int word = std::uniform_int_distribution(1, 30)(random);
        text += QString(word, QChar(u'a' + word % 26));
        text += (word % 7 == 0) ? QStringLiteral("\r\n\r\n") : (word % 5 == 0 ? "\t" : " ");
    }
    text += QString(200'000, u'x'); // one endless word
    const qsizetype expected = WithoutSpaces(PrepareParagraphText(text)).size();
    for (const std::int32_t width : {kTenCells, 3'276'800}) {
        CountingSurface surface;
        surface.SetWidth(width);
        surface.SetHeight(std::numeric_limits<std::int32_t>::max());
        ASSERT_TRUE(PrintParagraphs(surface, text, "Courier New", kSize, kColour));
        EXPECT_EQ(surface.drawn, expected) << "width " << width;
    }
}

} // namespace
} // namespace quillset::test
