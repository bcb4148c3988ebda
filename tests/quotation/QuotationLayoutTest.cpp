#include "platform/DateText.h"
#include "print/PrinterPage.h"
#include "quotation/Module1.h"
#include "tests/print/FrameServices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset {
namespace {

using Kind = RecordingSurface::Kind;
using test::FrameServices;

const Module1 kStrings{"Robert Miller", "4352 Hillstreets, Toronto CA", "Susan Clarke"};
const QStringList kFormItems = {"$10.00 - Delivery to Canada", "$15.00 - Delivery to Mexico",
                                "$45.00 - Delivery to Japan!"};

QStringList manyItems(int count) {
    QStringList items;
    for (int i = 1; i <= count; ++i)
        items << QString("$%1.00 - Item %1").arg(i);
    return items;
}

std::vector<RecordingSurface::Operation> costLines(const RecordingSurface& page) {
    std::vector<RecordingSurface::Operation> lines;
    for (const auto& text : page.texts())
        if (text.x == 570)
            lines.push_back(text);
    return lines;
}

TEST(PrintQuotation, TheThirteenTextElementsStandWhereTheLetterPutsThem) {
    FrameServices f;
    ASSERT_TRUE(PrintQuotation(f.services, kStrings, CostItemList(kFormItems)).sent);
    struct Element {
        QString text;
        float x, y;
        OleColor color;
        const char* face;
        float size;
    };
    const QString date = LongDateText(f.clock.now().date());
    const std::vector<Element> expected = {
        {"World Express Delivery Inc.", 2265, 765, 0x808000, "Arial", 24},
        {"3254 Hillwood Lane", 2265, 1500, kWindowTextColor, "Arial", 8.25f},
        {"Dallas TX", 11235, 1500, kWindowTextColor, "Arial", 8.25f},
        {"Phone: (481) 453-5454", 2265, 1785, kWindowTextColor, "Arial", 8.25f},
        {"", 9975, 1770, kWindowTextColor, "Arial", 8.25f}, // the web address, any text
        {"Dear Sirs.", 585, 3855, kWindowTextColor, "Arial", 9.75f},
        {"Sincerely", 8805, 12255, kWindowTextColor, "Arial", 8.25f},
        {"We deliver while you're resting...", 8805, 13425, 0, "Arial", 9.75f},
        {"This are the prices that you requested about our shiping services:", 555, 4155,
         kWindowTextColor, "Arial", 9.75f},
        {date, 8505, 2625, kWindowTextColor, "MS Sans Serif", 8.25f},
        {"Robert Miller", 585, 3135, kWindowTextColor, "MS Sans Serif", 8.25f},
        {"4352 Hillstreets, Toronto CA", 585, 3465, kWindowTextColor, "MS Sans Serif", 8.25f},
        {"Susan Clarke", 8805, 13095, kWindowTextColor, "MS Sans Serif", 8.25f},
    };
    const auto texts = f.lastPage().texts();
    ASSERT_GE(texts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Element& e = expected[i];
        if (!e.text.isEmpty()) {
            EXPECT_EQ(texts[i].text, e.text) << i;
        } else {
            EXPECT_FALSE(texts[i].text.isEmpty()) << i;
        }
        EXPECT_EQ(texts[i].x, e.x) << i;
        EXPECT_EQ(texts[i].y, e.y) << i;
        EXPECT_EQ(texts[i].color, e.color) << i;
        EXPECT_EQ(texts[i].fontName, e.face) << i;
        EXPECT_FLOAT_EQ(texts[i].fontSize, e.size) << i;
    }
}

TEST(PrintQuotation, RuleAndPicturesComeFirstAtTheirRectangles) {
    FrameServices f;
    ASSERT_TRUE(PrintQuotation(f.services, kStrings, CostItemList(kFormItems)).sent);
    std::vector<RecordingSurface::Operation> drawn;
    for (const auto& op : f.lastPage().operations())
        if (op.kind == Kind::Line || op.kind == Kind::Picture)
            drawn.push_back(op);
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].kind, Kind::Line);
    EXPECT_EQ(QRectF(QPointF(drawn[0].x, drawn[0].y), QPointF(drawn[0].x2, drawn[0].y2)),
              QRectF(QPointF(8520, 13042), QPointF(11910, 13042)));
    EXPECT_EQ(drawn[0].color, kWindowTextColor);
    const QRect rectangles[] = {
        {577, 570, 1515, 1695}, {2265, 1315, 9615, 100}, {585, 2260, 3405, 100}};
    for (int k = 0; k < 3; ++k) {
        const auto& picture = drawn[std::size_t(k) + 1];
        EXPECT_EQ(QRect(int(picture.x), int(picture.y), picture.width, picture.height),
                  rectangles[k]);
        EXPECT_TRUE(picture.vectorPicture) << k;
    }
}

TEST(PrintQuotation, CostLinesAdvance181AndAHalfTwipsAndRunOverTheClosingBlock) {
    struct Case {
        int items;
        std::vector<std::pair<int, float>> linesAt; // item index, y
    };
    for (const Case& c : {Case{0, {}}, Case{3, {{0, 4508}, {1, 4689.5f}, {2, 4871}}},
                          Case{44, {{0, 4508}, {42, 12131}, {43, 12312.5f}}}}) {
        FrameServices f;
        const QStringList items = c.items == 3 ? kFormItems : manyItems(c.items);
        ASSERT_TRUE(PrintQuotation(f.services, kStrings, CostItemList(items)).sent);
        const auto lines = costLines(f.lastPage());
        ASSERT_EQ(lines.size(), std::size_t(c.items));
        for (const auto& [index, y] : c.linesAt) {
            EXPECT_EQ(lines[std::size_t(index)].text, items[index]);
            EXPECT_FLOAT_EQ(lines[std::size_t(index)].y, y) << c.items << " items, #" << index;
            EXPECT_EQ(lines[std::size_t(index)].fontName, "MS Sans Serif");
            EXPECT_FLOAT_EQ(lines[std::size_t(index)].fontSize, 8.25f);
            EXPECT_EQ(lines[std::size_t(index)].color, kWindowTextColor);
        }
        if (c.items == 44) {
            EXPECT_GT(lines[43].y, 12255) << "the 44th line stands below \"Sincerely\"";
        }
        // Whatever the list, one page and the same footer.
        const auto footer = f.lastPage().texts().back();
        EXPECT_EQ(footer.text, GeneralDateText(f.clock.now()) + " - Page 1 ");
        EXPECT_FLOAT_EQ(footer.y, 15045);
        EXPECT_FLOAT_EQ(footer.x, 567);
        EXPECT_EQ(footer.fontName, "MS Sans Serif");
        int ends = 0;
        for (const auto& op : f.lastPage().operations())
            ends += op.kind == Kind::EndDocument;
        EXPECT_EQ(ends, 1);
    }
}

// Without the logo file the job prints nothing at all: no PDF, no message, the arrow back.
TEST(PrintQuotation, MissingGlobeLeavesNoOutputAndNoMessage) {
    QTemporaryDir driveC;
    const QString source =
        QString::fromUtf8(qgetenv("QUILLSET_DRIVE_C")) + "/QSET_DEMOS/QUOTATION/";
    ASSERT_TRUE(QDir(driveC.path()).mkpath("QSET_DEMOS/QUOTATION"));
    for (const char* kept : {"LINE.WMF", "LINE2.WMF"})
        ASSERT_TRUE(QFile::copy(source + kept, driveC.path() + "/QSET_DEMOS/QUOTATION/" + kept));
    const QByteArray savedDriveC = qgetenv("QUILLSET_DRIVE_C");
    qputenv("QUILLSET_DRIVE_C", driveC.path().toUtf8());

    QTemporaryDir out;
    const QString pdf = out.filePath("letter.pdf");
    FrameServices f;
    f.services.openPage = [&] {
        return std::make_shared<PrinterPage>(MakePageSink({{}, pdf, false}, "QUOTATION"),
                                             "QUOTATION");
    };
    const PrintJobResult result = PrintQuotation(f.services, kStrings, CostItemList(kFormItems));
    qputenv("QUILLSET_DRIVE_C", savedDriveC);

    EXPECT_FALSE(result.sent);
    EXPECT_TRUE(result.failure.contains("GLOBE.WMF")) << result.failure.toStdString();
    EXPECT_TRUE(QDir(out.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(f.dialogs.messages().empty());
    EXPECT_EQ(f.pointer.shape(), PointerShape::Arrow);
    EXPECT_EQ(f.pictures.HighestDocImg(), 0);
}

} // namespace
} // namespace quillset
