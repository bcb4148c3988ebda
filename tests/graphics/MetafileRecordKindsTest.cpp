#include "graphics/PlaceableMetafile.h"
#include "tests/support/MetafileBytes.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

// Words of a colour reference.
std::int16_t RedGreen(QColor c) {
    return std::int16_t(c.red() | (c.green() << 8));
}
std::int16_t Blue(QColor c) {
    return std::int16_t(c.blue());
}

// Raster operations, low word first.
constexpr std::int16_t kSourceCopy[] = {0x0020, 0x00CC};
constexpr std::int16_t kPatternCopy[] = {0x0021, 0x00F0};
constexpr std::int16_t kBlackness[] = {0x0042, 0x0000};

const QColor kFill(40, 90, 200);

// A null pen (object 0) and a solid brush of kFill (object 1), selected.
MetafileBytes Filled(std::int16_t width = 1000, std::int16_t height = 1000) {
    MetafileBytes file(width, height);
    file.record(kCreatePen, {5, 0, 0, 0, 0})
        .record(kSelectObject, {0})
        .record(kCreateBrush, {0, RedGreen(kFill), Blue(kFill), 0})
        .record(kSelectObject, {1});
    return file;
}

MetafileBytes& WholeFrame(MetafileBytes& file) {
    return file.record(kRectangle, {1000, 1000, 0, 0});
}

struct Probe {
    QPoint at;                   // in a 200 x 200 target
    std::optional<QColor> color; // none: nothing drawn there
};

struct KindCase {
    const char* name;
    MetafileBytes file;
    std::vector<Probe> probes;
};

const std::vector<QRgb> kFourColours = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255),
                                        qRgb(255, 255, 0)};

std::vector<KindCase> KindCases() {
    std::vector<KindCase> cases;
    const QColor red(255, 0, 0), green(0, 255, 0), blueColour(0, 0, 255), yellow(255, 255, 0);
    const QColor black(0, 0, 0), white(255, 255, 255);

    cases.push_back(
        {"StretchDibDrawsTheTopRowAtTheTop",
         MetafileBytes(1000, 1000)
             .record(kStretchDib, {kSourceCopy[0], kSourceCopy[1], 0, 2, 2, 0, 0, 1000, 1000, 0, 0},
                     MetafileBytes::dib24(2, kFourColours)),
         {{{50, 50}, red}, {{150, 50}, green}, {{50, 150}, blueColour}, {{150, 150}, yellow}}});
    cases.push_back(
        {"TopDownDibStaysUpright",
         MetafileBytes(1000, 1000)
             .record(kStretchDib, {kSourceCopy[0], kSourceCopy[1], 0, 2, 2, 0, 0, 1000, 1000, 0, 0},
                     MetafileBytes::dib24(2, kFourColours, true)),
         {{{50, 50}, red}, {{150, 150}, yellow}}});
    cases.push_back(
        {"DibStretchBltDrawsOnlyItsSourcePart",
         MetafileBytes(1000, 1000)
             .record(kDibStretchBlt, {kSourceCopy[0], kSourceCopy[1], 2, 1, 0, 1, 1000, 500, 0, 0},
                     MetafileBytes::dib24(2, kFourColours)),
         {{{50, 50}, green}, {{50, 150}, yellow}, {{150, 100}, std::nullopt}}});
    cases.push_back(
        {"DibBitBltDrawsAtTheBitmapsSize",
         MetafileBytes(4, 4).record(kDibBitBlt, {kSourceCopy[0], kSourceCopy[1], 0, 0, 2, 2, 1, 1},
                                    MetafileBytes::dib24(2, kFourColours)),
         {{{75, 75}, red},
          {{125, 125}, yellow},
          {{25, 25}, std::nullopt},
          {{175, 175}, std::nullopt}}});
    // Two rows of two one-bit pixels, each row padded to a word: clear bits are black.
    const QByteArray monochrome("\0\0\x02\0\x02\0\x02\0\x01\x01\x40\0\x80\0", 14);
    cases.push_back(
        {"BitBltDrawsAnOldMonochromeBitmap",
         MetafileBytes(4, 4).record(kBitBlt, {kSourceCopy[0], kSourceCopy[1], 0, 0, 2, 2, 1, 1},
                                    monochrome),
         {{{75, 75}, black}, {{125, 75}, white}, {{75, 125}, white}, {{125, 125}, black}}});
    cases.push_back(
        {"BitBltWithoutABitmapFillsWithTheBrush",
         Filled().record(kDibBitBlt, {kPatternCopy[0], kPatternCopy[1], 0, 0, 0, 500, 500, 0, 0}),
         {{{50, 50}, kFill}, {{150, 150}, std::nullopt}}});
    cases.push_back(
        {"PatBltFillsWithTheBrush",
         Filled().record(kPatBlt, {kPatternCopy[0], kPatternCopy[1], 500, 500, 500, 500}),
         {{{150, 150}, kFill}, {{50, 50}, std::nullopt}}});
    cases.push_back({"PatBltBlacknessIsBlackWhateverTheBrush",
                     Filled().record(kPatBlt, {kBlackness[0], kBlackness[1], 500, 500, 0, 0}),
                     {{{50, 50}, black}}});
    cases.push_back({"PieFillsOnlyItsSliceCounterClockwise",
                     Filled().record(kPie, {0, 500, 500, 1000, 1000, 1000, 0, 0}),
                     {{{150, 60}, kFill}, {{50, 60}, std::nullopt}, {{150, 140}, std::nullopt}}});
    // The cord runs below the centre, so a chord drawn closed to the centre like a pie shows.
    cases.push_back({"ChordFillsOnlyBetweenItsCordAndTheArc",
                     Filled().record(kChord, {800, 1000, 800, 0, 1000, 1000, 0, 0}),
                     {{{100, 175}, kFill}, {{100, 130}, std::nullopt}, {{100, 50}, std::nullopt}}});
    cases.push_back({"ArcIsAnOutlineWithoutFill",
                     MetafileBytes(1000, 1000)
                         .record(kCreatePen, {0, 40, 0, 0, 0})
                         .record(kSelectObject, {0})
                         .record(kArc, {500, 0, 500, 1000, 1000, 1000, 0, 0}),
                     {{{100, 1}, black}, {{100, 100}, std::nullopt}, {{100, 199}, std::nullopt}}});
    cases.push_back({"ViewportExtentScales",
                     Filled()
                         .record(kSetMapMode, {8})
                         .record(kSetWindowExt, {100, 100})
                         .record(kSetViewportExt, {500, 500})
                         .record(kRectangle, {100, 100, 0, 0}),
                     {{{50, 50}, kFill}, {{150, 150}, std::nullopt}}});
    cases.push_back(
        {"ViewportOriginMoves",
         Filled().record(kSetViewportOrg, {500, 500}).record(kRectangle, {500, 500, 0, 0}),
         {{{150, 150}, kFill}, {{50, 50}, std::nullopt}}});
    cases.push_back({"TwipsModeDrawsUpwards",
                     Filled()
                         .record(kSetMapMode, {6})
                         .record(kSetViewportOrg, {1000, 0})
                         .record(kRectangle, {500, 500, 0, 0}),
                     {{{50, 150}, kFill}, {{50, 50}, std::nullopt}}});
    cases.push_back(
        {"OffsetWindowOrgMovesTheDrawing",
         Filled().record(kOffsetWindowOrg, {-500, -500}).record(kRectangle, {500, 500, 0, 0}),
         {{{150, 150}, kFill}, {{50, 50}, std::nullopt}}});
    cases.push_back(
        {"ScaleWindowExtHalvesTheWindow",
         Filled().record(kScaleWindowExt, {2, 1, 2, 1}).record(kRectangle, {250, 250, 0, 0}),
         {{{50, 50}, kFill}, {{110, 110}, std::nullopt}}});
    cases.push_back({"IsotropicModeKeepsSquaresSquare",
                     Filled()
                         .record(kSetMapMode, {7})
                         .record(kSetWindowExt, {100, 100})
                         .record(kSetViewportExt, {500, 1000})
                         .record(kRectangle, {100, 100, 0, 0}),
                     {{{50, 50}, kFill}, {{150, 50}, std::nullopt}}});
    // Rectangles are stored bottom, right, top, left; top and left differ, so that a decoder
    // that mixes them up draws elsewhere.
    {
        MetafileBytes file = Filled();
        file.record(kIntersectClipRect, {1000, 500, 500, 0});
        cases.push_back(
            {"IntersectClipRectCuts",
             WholeFrame(file),
             {{{50, 150}, kFill}, {{50, 50}, std::nullopt}, {{150, 150}, std::nullopt}}});
    }
    {
        MetafileBytes file = Filled();
        file.record(kExcludeClipRect, {900, 600, 500, 100});
        cases.push_back({"ExcludeClipRectCutsAHole",
                         WholeFrame(file),
                         {{{50, 150}, std::nullopt}, {{20, 20}, kFill}, {{150, 150}, kFill}}});
    }
    // Corners 800 wide and 200 high: flat and wide, so the top edge runs straight only near the
    // middle.
    cases.push_back({"RoundRectCornersTakeWidthAndHeightInOrder",
                     Filled().record(kRoundRect, {200, 800, 800, 900, 200, 100}),
                     {{{100, 100}, kFill}, {{100, 43}, kFill}, {{40, 43}, std::nullopt}}});
    // A region of one rectangle, the left half of the frame: eleven words of header, one scan.
    const std::initializer_list<std::int16_t> leftHalf = {0,   6,    0, 0, 34,   1, 1,   0, 0,
                                                          500, 1000, 2, 0, 1000, 0, 500, 2};
    {
        MetafileBytes file = Filled();
        file.record(kCreateRegion, leftHalf).record(kSelectClipRegion, {2});
        cases.push_back({"SelectClipRegionClipsToTheRegion",
                         WholeFrame(file),
                         {{{50, 100}, kFill}, {{150, 100}, std::nullopt}}});
    }
    {
        MetafileBytes file = Filled();
        file.record(kSaveDc, {})
            .record(kIntersectClipRect, {500, 500, 0, 0})
            .record(kRestoreDc, {-1});
        cases.push_back({"RestoreDcLiftsTheClip", WholeFrame(file), {{{150, 150}, kFill}}});
    }
    cases.push_back({"FillRegionFillsWithItsBrush",
                     Filled().record(kCreateRegion, leftHalf).record(kFillRegion, {2, 1}),
                     {{{50, 100}, kFill}, {{150, 100}, std::nullopt}}});
    cases.push_back({"FrameRegionDrawsOnlyTheEdge",
                     Filled().record(kCreateRegion, leftHalf).record(kFrameRegion, {2, 1, 50, 50}),
                     {{{5, 100}, kFill}, {{95, 100}, kFill}, {{50, 100}, std::nullopt}}});
    cases.push_back({"PaintRegionUsesTheSelectedBrush",
                     Filled().record(kCreateRegion, leftHalf).record(kPaintRegion, {2}),
                     {{{50, 100}, kFill}, {{150, 100}, std::nullopt}}});
    {
        MetafileBytes file(1000, 1000);
        file.record(kCreateBrush, {0, 0, 0, 0}).record(kSelectObject, {0});
        WholeFrame(file).record(kCreateRegion, leftHalf).record(kInvertRegion, {1});
        cases.push_back(
            {"InvertRegionTurnsBlackToWhite", file, {{{50, 100}, white}, {{150, 100}, black}}});
    }
    cases.push_back({"SetPixelColoursOneLogicalUnit",
                     MetafileBytes(4, 4).record(kSetPixel, {RedGreen(red), Blue(red), 1, 1}),
                     {{{75, 75}, red}, {{125, 125}, std::nullopt}, {{25, 25}, std::nullopt}}});
    {
        MetafileBytes file = Filled();
        file.record(kEscape, {15, 4, 0x4142, 0x4344});
        cases.push_back({"EscapeIsSkipped", WholeFrame(file), {{{100, 100}, kFill}}});
    }
    {
        MetafileBytes file = Filled();
        file.countingPlaceableHeader();
        cases.push_back(
            {"SizeFieldCountingThePlaceableHeaderIsRead", WholeFrame(file), {{{100, 100}, kFill}}});
    }
    return cases;
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

QImage Render(const Picture& picture) {
    QImage image(200, 200, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    picture.drawInto(painter, QRectF(0, 0, 200, 200));
    return image;
}

TEST(MetafileRecordKinds, EachKindDrawsWhereAndWhatItSays) {
    for (const KindCase& c : KindCases()) {
        SCOPED_TRACE(c.name);
        const Result<Picture> picture = ReadPlaceableMetafile(c.file.bytes());
        ASSERT_TRUE(picture) << picture.reason().toStdString();
        const QImage image = Render(*picture);
        for (const Probe& probe : c.probes) {
            const QColor seen = image.pixelColor(probe.at);
            if (probe.color) {
                EXPECT_TRUE(seen.alpha() == 255 && Near(seen, *probe.color))
                    << "at " << probe.at.x() << "," << probe.at.y() << " "
                    << seen.name(QColor::HexArgb).toStdString();
            } else {
                EXPECT_EQ(seen.alpha(), 0) << "drawn at " << probe.at.x() << "," << probe.at.y();
            }
        }
    }
}

// The face and size need no exact match; what matters is that the text runs the way its font's
// escapement says, read upright whatever the mapping does to the axes.
TEST(MetafileRecordKinds, TextWithEscapementRunsUpwards) {
    struct Case {
        const char* name;
        std::int16_t escapement;
        bool yUp;
        bool tall;
    };
    for (const Case& c : {Case{"Across", 0, false, false}, Case{"Upwards", 900, false, true},
                          Case{"UpwardsWithYUp", 900, true, true}}) {
        SCOPED_TRACE(c.name);
        MetafileBytes file(1000, 1000);
        if (c.yUp)
            file.record(kSetWindowOrg, {1000, 0}).record(kSetWindowExt, {-1000, 1000});
        // Height -150, escapement and orientation, weight 400, then the face name.
        file.record(kCreateFont,
                    {-150, 0, c.escapement, c.escapement, 400, 0, 0, 0, 0x7241, 0x6169, 0x006C})
            .record(kSelectObject, {0})
            .record(kTextOut, {6, 0x4D4D, 0x4D4D, 0x4D4D,
                               c.yUp ? std::int16_t(200) : std::int16_t(800), 200});
        const Result<Picture> picture = ReadPlaceableMetafile(file.bytes());
        ASSERT_TRUE(picture) << picture.reason().toStdString();
        const QImage image = Render(*picture);
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 128)
                    ink |= QRect(x, y, 1, 1);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_EQ(ink.height() > ink.width(), c.tall) << ink.width() << " x " << ink.height();
        // Upwards text starts at its reference point and climbs from there.
        if (c.tall) {
            EXPECT_LT(ink.bottom(), 165) << ink.bottom();
        }
    }
}

} // namespace
} // namespace quillset::test
