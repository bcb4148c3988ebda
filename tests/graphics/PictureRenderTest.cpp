#include "graphics/PlaceableMetafile.h"
#include "tests/support/DemoFiles.h"
#include "tests/support/Files.h"
#include "tests/support/MetafileBytes.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

constexpr int kDotsPerMeterAt1440Dpi = 56693;

// A canvas whose pixels can be read back; dotsPerMeter sets the resolution the painter reports,
// so a picture is drawn as it would be on the printer or on a screen.
QImage BlankImage(int size, int dotsPerMeter) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::transparent);
    return image;
}

bool IsInk(const QImage& image, int x, int y) {
    return qAlpha(image.pixel(x, y)) == 255 && qGray(image.pixel(x, y)) < 60;
}

struct WindowCase {
    const char* name;
    MetafileBytes file;
    QPoint inked; // a pixel of a 200 x 200 target that the rectangle covers
    QPoint blank; // one it does not
};

// A black rectangle drawn through different window settings; the target is 200 x 200 pixels.
std::vector<WindowCase> WindowCases() {
    auto black = [](MetafileBytes file) {
        return file.record(kCreatePen, {5, 0, 0, 0, 0})
            .record(kSelectObject, {0})
            .record(kCreateBrush, {0, 0, 0, 0})
            .record(kSelectObject, {1});
    };
    std::vector<WindowCase> cases;
    cases.push_back({"NoWindowMeansTheFrame",
                     black(MetafileBytes(1000, 1000)).record(kRectangle, {500, 500, 0, 0}),
                     {50, 50},
                     {150, 150}});
    cases.push_back({"WindowScalesAndMoves",
                     black(MetafileBytes(1000, 1000))
                         .record(kSetWindowOrg, {50, 50})
                         .record(kSetWindowExt, {100, 100})
                         .record(kRectangle, {150, 150, 100, 100}),
                     {150, 150},
                     {50, 50}});
    cases.push_back({"RestoreDcBringsBackTheWindow",
                     black(MetafileBytes(1000, 1000))
                         .record(kSaveDc, {})
                         .record(kSetWindowExt, {10, 10})
                         .record(kRestoreDc, {-1})
                         .record(kRectangle, {1000, 1000, 500, 500}),
                     {150, 150},
                     {50, 50}});
    cases.push_back({"NegativeExtentFlips",
                     black(MetafileBytes(1000, 1000))
                         .record(kSetWindowOrg, {1000, 0})
                         .record(kSetWindowExt, {-1000, 1000})
                         .record(kRectangle, {500, 500, 0, 0}),
                     {50, 150},
                     {50, 50}});
    return cases;
}

TEST(MetafilePlayback, WindowOriginAndExtentMapOntoTheTarget) {
    for (const WindowCase& c : WindowCases()) {
        for (int dotsPerMeter : {3780, kDotsPerMeterAt1440Dpi}) {
            const Result<Picture> picture = ReadPlaceableMetafile(c.file.bytes());
            ASSERT_TRUE(picture) << c.name << ": " << picture.reason().toStdString();
            QImage image = BlankImage(200, dotsPerMeter);
            QPainter painter(&image);
            picture->drawInto(painter, QRectF(0, 0, 200, 200));
            painter.end();
            EXPECT_TRUE(IsInk(image, c.inked.x(), c.inked.y())) << c.name << " @" << dotsPerMeter;
            EXPECT_FALSE(IsInk(image, c.blank.x(), c.blank.y())) << c.name << " @" << dotsPerMeter;
        }
    }
}

// The rule's teal band must fill exactly its target, whatever resolution the device reports.
TEST(MetafilePlayback, RuleFillsItsTargetRectangleOnScreenAndPrinterResolutions) {
    const Result<Picture> rule =
        ReadPlaceableMetafile(ReadAll(PathText(Demo("QUOTATION/LINE.WMF"))));
    ASSERT_TRUE(rule);
    for (int dotsPerMeter : {3780, kDotsPerMeterAt1440Dpi}) {
        QImage image = BlankImage(200, dotsPerMeter);
        QPainter painter(&image);
        rule->drawInto(painter, QRectF(20, 80, 160, 40));
        painter.end();
        EXPECT_EQ(image.pixelColor(100, 100), QColor(0, 128, 128)) << dotsPerMeter;
        EXPECT_EQ(image.pixelColor(22, 82), QColor(0, 128, 128)) << dotsPerMeter;
        EXPECT_EQ(qAlpha(image.pixel(10, 100)), 0) << dotsPerMeter;
        EXPECT_EQ(qAlpha(image.pixel(190, 100)), 0) << dotsPerMeter;
        EXPECT_EQ(qAlpha(image.pixel(100, 70)), 0) << dotsPerMeter;
        EXPECT_EQ(qAlpha(image.pixel(100, 130)), 0) << dotsPerMeter;
    }
}

// The schedule draws IMAGE1 at (615, 585), 1215 x 14730 twips, and prints its footer line at
// y 14500 from x 567 in black 10-point text, longer than the strip is wide; under that line the
// strip must be light on paper from edge to edge, so the line crosses no dark outline.
TEST(MetafilePlayback, ScheduleFooterLineStandsOnALightPartOfTheStrip) {
    const Result<Picture> strip =
        ReadPlaceableMetafile(ReadAll(PathText(Demo("FORMATED TEXT/IMAGE1.WMF"))));
    ASSERT_TRUE(strip);
    // A tenth of a twip's scale: one pixel is ten twips of the page.
    QImage page = BlankImage(1600, 3780);
    page.fill(Qt::white);
    QPainter painter(&page);
    strip->drawInto(painter, QRectF(61.5, 58.5, 121.5, 1473));
    painter.end();
    int darkest = 255;
    for (int y = 1450; y < 1478; ++y)
        for (int x = 64; x < 181; ++x)
            darkest = std::min(darkest, qGray(page.pixel(x, y)));
    EXPECT_GT(darkest, 200);
    EXPECT_LT(qGray(page.pixel(120, 700)), 80) << "the rest of the strip stays a dark film";

    // One pixel a twip around the line (13915 to 14145 in the strip), margins of 10 each side.
    QImage detail = BlankImage(1235, 300);
    detail.fill(Qt::white);
    painter.begin(&detail);
    painter.translate(10, -13880);
    strip->drawInto(painter, QRectF(0, 0, 1215, 14730));
    painter.end();
    int darkestAcross = 255;
    for (int y = 35; y < 265; ++y)
        for (int x = 0; x < detail.width(); ++x)
            darkestAcross = std::min(darkestAcross, qGray(detail.pixel(x, y)));
    EXPECT_GT(darkestAcross, 200) << "an outline crosses the line";
}

} // namespace
} // namespace quillset::test
