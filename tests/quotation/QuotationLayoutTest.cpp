#include "platform/DateText.h"
#include "print/PrinterPage.h"
#include "quotation/Module1.h"
#include "tests/support/DemoFiles.h"
#include "tests/support/FrameServices.h"
#include "tests/support/PdfWords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

using Kind = RecordingSurface::Kind;

const Module1 kStrings{"Robert Miller", "4352 Hillstreets, Toronto CA", "Susan Clarke"};
const QStringList kFormItems = {"$10.00 - Delivery to Canada", "$15.00 - Delivery to Mexico",
                                "$45.00 - Delivery to Japan!"};

QStringList ManyItems(int count) {
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items << QString("$%1.00 - Item %1").arg(i);
    return items;
}

// Where the page puts things is read back from the PDF the real page writes, and compared with
// the letter's design in twips (kTextTolerance).

const QColor kTeal(0, 128, 128);
const QColor kBlack(Qt::black); // the window-text colour prints black, as plain black does

// One text element of the letter as the design places it.
struct LetterText {
    QString text; // empty: the web address, whose text is the program's own
    float x, y;
    OleColor color;
    QColor printed;
    const char* face;
    float size;
};

std::vector<LetterText> LetterTexts(const QDate& today) {
    const OleColor window = kWindowTextColor;
    return {
        {"World Express Delivery Inc.", 2265, 765, 0x808000, kTeal, "Arial", 24},
        {"3254 Hillwood Lane", 2265, 1500, window, kBlack, "Arial", 8.25f},
        {"Dallas TX", 11235, 1500, window, kBlack, "Arial", 8.25f},
        {"Phone: (481) 453-5454", 2265, 1785, window, kBlack, "Arial", 8.25f},
        {"", 9975, 1770, window, kBlack, "Arial", 8.25f},
        {"Dear Sirs.", 585, 3855, window, kBlack, "Arial", 9.75f},
        {"Sincerely", 8805, 12255, window, kBlack, "Arial", 8.25f},
        {"We deliver while you're resting...", 8805, 13425, 0, kBlack, "Arial", 9.75f},
        {"This are the prices that you requested about our shiping services:", 555, 4155, window,
         kBlack, "Arial", 9.75f},
        {LongDateText(today), 8505, 2625, window, kBlack, "MS Sans Serif", 8.25f},
        {"Robert Miller", 585, 3135, window, kBlack, "MS Sans Serif", 8.25f},
        {"4352 Hillstreets, Toronto CA", 585, 3465, window, kBlack, "MS Sans Serif", 8.25f},
        {"Susan Clarke", 8805, 13095, window, kBlack, "MS Sans Serif", 8.25f},
    };
}

// The letter printed by the real page into a PDF file.
struct PrintedLetter {
    QTemporaryDir folder;
    QString pdf = folder.filePath("letter.pdf");
    FrameServices f;

    PrintedLetter() { f.printIntoPdf(pdf); }
    PrintJobResult print(const QStringList& items) {
        return PrintQuotation(f.services, kStrings, CostItemList(items));
    }
};

// A dark desktop theme leaves the paper's colours alone: window text still prints black.
TEST(PrintQuotation, TheThirteenTextElementsStandWhereTheLetterPutsThem) {
    for (const Theme theme : {Theme::Application, Theme::Dark}) {
        SCOPED_TRACE(ThemeName(theme));
        const ThemeScope themed(theme);
        PrintedLetter letter;
        ASSERT_TRUE(letter.print(kFormItems).sent);
        const PdfTexts page = ReadPdfTexts(letter.pdf);
        ASSERT_EQ(page.pages, 1);
        for (const LetterText& e : LetterTexts(letter.f.clock.now().date())) {
            SCOPED_TRACE(e.text.isEmpty() ? "the web address" : e.text.toStdString());
            const PdfText* run =
                e.text.isEmpty() ? page.at(e.x, e.y, kTextTolerance) : page.find(e.text);
            ASSERT_NE(run, nullptr);
            EXPECT_FALSE(run->text.isEmpty());
            ExpectTextAt(*run, e.x, e.y, e.face, e.size, e.printed);
        }
        EXPECT_TRUE(PdfBitmapSizes(letter.pdf).empty())
            << "the letterhead pictures stay vector drawing";
    }
}

// What the page cannot show: the order of the drawing, the typeface names asked for and the
// colour codes (the window-text colour and black print alike).
TEST(PrintQuotation, DrawsRuleThenPicturesThenTheTextsInTheLettersOrder) {
    FrameServices f;
    ASSERT_TRUE(PrintQuotation(f.services, kStrings, CostItemList(kFormItems)).sent);
    std::vector<Kind> kinds;
    std::vector<RecordingSurface::Operation> texts;
    for (const auto& op : f.lastPage().operations()) {
        if (op.kind == Kind::Line || op.kind == Kind::Picture || op.kind == Kind::Text)
            kinds.push_back(op.kind);
        if (op.kind == Kind::Text)
            texts.push_back(op);
        if (op.kind == Kind::Line) {
            EXPECT_EQ(op.color, kWindowTextColor);
        }
        if (op.kind == Kind::Picture) {
            EXPECT_TRUE(op.vectorPicture);
        }
    }
    const auto elements = LetterTexts(f.clock.now().date());
    ASSERT_GE(kinds.size(), 4 + elements.size());
    EXPECT_EQ(std::vector<Kind>(kinds.begin(), kinds.begin() + 4),
              std::vector<Kind>({Kind::Line, Kind::Picture, Kind::Picture, Kind::Picture}));
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const LetterText& e = elements[i];
        if (!e.text.isEmpty()) {
            EXPECT_EQ(texts[i].text, e.text) << i;
        }
        EXPECT_EQ(texts[i].color, e.color) << i;
        EXPECT_EQ(texts[i].fontName, e.face) << i;
        EXPECT_FLOAT_EQ(texts[i].fontSize, e.size) << i;
    }
}

// Each picture file is a block of its own colour here, so the page shows exactly the rectangle
// each is scaled into; the text is left out of the drawing, so black is the signature rule.
TEST(PrintQuotation, RuleAndPicturesStandAtTheirRectanglesOnThePage) {
    const std::vector<ColourBlock> pictures = {
        {"GLOBE.WMF", Qt::red, {577, 570, 1515, 1695}},
        {"LINE.WMF", Qt::green, {2265, 1315, 9615, 100}},
        {"LINE2.WMF", Qt::blue, {585, 2260, 3405, 100}},
    };
    DemoDriveCopy drive("QUOTATION");
    for (const ColourBlock& block : pictures)
        ASSERT_TRUE(drive.replace(block.picture, SolidMetafile(block)));
    PrintedLetter letter;
    ASSERT_TRUE(letter.print(kFormItems).sent);
    const QImage drawing = ExpectBlocksOnPage(letter.pdf, pictures);
    ASSERT_FALSE(drawing.isNull());
    // The rule from (8520, 13042) to (11910, 13042), one thin pen wide.
    const QRectF rule = ColourBounds(drawing, kDrawingDpi, kBlack);
    EXPECT_NEAR(rule.left(), 8520, kDrawingTolerance);
    EXPECT_NEAR(rule.right(), 11910, kDrawingTolerance);
    EXPECT_NEAR(rule.center().y(), 13042, kDrawingTolerance);
    EXPECT_LE(rule.height(), 20);
}

TEST(PrintQuotation, CostLinesAdvance181AndAHalfTwipsAndRunOverTheClosingBlock) {
    struct Case {
        int items;
        std::vector<std::pair<int, float>> linesAt; // item index, y
    };
    for (const Case& c : {Case{0, {}}, Case{3, {{0, 4508}, {1, 4689.5f}, {2, 4871}}},
                          Case{44, {{0, 4508}, {42, 12131}, {43, 12312.5f}}}}) {
        SCOPED_TRACE(c.items);
        const QStringList items = c.items == 3 ? kFormItems : ManyItems(c.items);
        PrintedLetter letter;
        ASSERT_TRUE(letter.print(items).sent);
        const PdfTexts page = ReadPdfTexts(letter.pdf);
        const auto printed =
            std::count_if(page.runs.begin(), page.runs.end(),
                          [&](const auto& run) { return items.contains(run.text); });
        EXPECT_EQ(printed, c.items);
        for (const auto& [index, y] : c.linesAt) {
            SCOPED_TRACE(items[index].toStdString());
            const PdfText* line = page.find(items[index]);
            ASSERT_NE(line, nullptr);
            ExpectTextAt(*line, 570, y, "MS Sans Serif", 8.25);
        }
        if (c.items == 44) {
            EXPECT_GT(page.find(items[43])->top, page.find("Sincerely")->top)
                << "the 44th line stands below \"Sincerely\"";
        }
        // Whatever the list, one page and the same footer.
        EXPECT_EQ(page.pages, 1);
        const PdfText* footer = page.find(GeneralDateText(letter.f.clock.now()) + " - Page 1 ");
        ASSERT_NE(footer, nullptr);
        ExpectTextAt(*footer, 567, 15045, "MS Sans Serif", 10);

        FrameServices recorded;
        ASSERT_TRUE(PrintQuotation(recorded.services, kStrings, CostItemList(items)).sent);
        int ends = 0;
        for (const auto& op : recorded.lastPage().operations())
            ends += op.kind == Kind::EndDocument;
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(recorded.lastPage().texts().back().fontName, "MS Sans Serif");
    }
}

// Without the logo file the job prints nothing at all: no PDF, no message, the arrow back.
TEST(PrintQuotation, MissingGlobeLeavesNoOutputAndNoMessage) {
    PrintJobResult result;
    PrintedLetter letter;
    {
        DemoDriveCopy drive("QUOTATION");
        ASSERT_TRUE(drive.remove("GLOBE.WMF"));
        result = letter.print(kFormItems);
    }
    const FrameServices& f = letter.f;

    EXPECT_FALSE(result.sent);
    EXPECT_TRUE(result.failure.contains("GLOBE.WMF")) << result.failure.toStdString();
    EXPECT_TRUE(
        QDir(letter.folder.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(f.dialogs.messages().empty());
    EXPECT_EQ(f.pointer.shape(), PointerShape::Arrow);
    EXPECT_EQ(f.pictures.highestDocImg(), 0);
}

} // namespace
} // namespace quillset::test
