#include "graphics/MetafileRecord.h"
#include "graphics/PictureLoader.h"
#include "graphics/PlaceableMetafile.h"
#include "tests/support/MetafileBytes.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillset::test {
namespace {

constexpr std::uint16_t kPolyPolygon = 0x0538;
constexpr std::uint16_t kSetBkMode = 0x0102;

// The scans of a region: `scans` bands of `perScan` one-unit rectangles each.
QByteArray RegionScans(int scans, int perScan) {
    QByteArray out;
    auto word = [&out](int value) {
        out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    };
    for (int scan = 0; scan < scans; ++scan) {
        word(2 * perScan);
        word(scan);
        word(scan + 1);
        for (int k = 0; k < perScan; ++k) {
            word(2 * k);
            word(2 * k + 1);
        }
        word(2 * perScan);
    }
    return out;
}

// A 24-bit bitmap header that claims more than the record holds or than any picture may be.
QByteArray DibHeader(std::int32_t width, std::int32_t height, std::uint32_t colorsUsed = 0,
                     std::uint16_t bits = 24) {
    QByteArray header = MetafileBytes::dib24(1, {qRgb(0, 0, 0)}).left(40);
    qToLittleEndian<std::int32_t>(width, header.data() + 4);
    qToLittleEndian<std::int32_t>(height, header.data() + 8);
    qToLittleEndian<std::uint16_t>(bits, header.data() + 14);
    qToLittleEndian<std::uint32_t>(colorsUsed, header.data() + 32);
    return header;
}

struct LimitCase {
    const char* name;
    std::function<MetafileBytes()> make;
    const char* reason;
};

std::vector<LimitCase> LimitCases() {
    return {
        {"SaveDcNestedPastTheLimit",
         [] {
             MetafileBytes file(100, 100);
             for (qsizetype i = 0; i <= kMaxSavedStates; ++i)
                 file.record(kSaveDc, {});
             return file;
         },
         "drawing states"},
        {"MoreRecordsThanAllowed",
         [] {
             MetafileBytes file(100, 100);
             for (qsizetype i = 0; i <= kMaxMetafileRecords; ++i)
                 file.record(kSetBkMode, {1});
             return file;
         },
         "more records"},
        {"PolyPolygonWithTooManyPoints",
         [] {
             // Seven polygons of 30,000 points each, all at the origin.
             return MetafileBytes(100, 100).record(
                 kPolyPolygon, {7, 30000, 30000, 30000, 30000, 30000, 30000, 30000},
                 QByteArray(4 * 7 * 30000, '\0'));
         },
         "more points"},
        {"RegionWithTooManyRectangles",
         [] {
             // Four bands of 30,000 rectangles each.
             return MetafileBytes(100, 100).record(
                 kCreateRegion, {0, 6, 0, 0, 0, 4, 1, 0, 0, 100, 100}, RegionScans(4, 30000));
         },
         "more rectangles"},
        {"BitmapLargerThanAnyPicture",
         [] {
             return MetafileBytes(100, 100).record(
                 kStretchDib, {0x20, 0xCC, 0, 1, 1, 0, 0, 100, 100, 0, 0}, DibHeader(20000, 20000));
         },
         "larger than allowed"},
        {"BitmapColourTableLongerThanItsRecord",
         [] {
             return MetafileBytes(100, 100).record(kStretchDib,
                                                   {0x20, 0xCC, 0, 1, 1, 0, 0, 100, 100, 0, 0},
                                                   DibHeader(4, 4, 5000, 8));
         },
         "shorter than its header"},
        {"OldBitmapRowsLongerThanItsRecord",
         [] {
             return MetafileBytes(4, 4).record(
                 kBitBlt, {0x20, 0xCC, 0, 0, 2, 2, 1, 1},
                 QByteArray("\0\0\x40\0\x40\0\x08\0\x01\x01\0\0", 12));
         },
         "shorter than its pixels"},
        {"ViewportExtentZero",
         [] {
             return MetafileBytes(100, 100).record(kSetViewportExt, {0, 100});
         },
         "viewport extent is zero"},
        {"ScaledByAZeroDenominator",
         [] {
             return MetafileBytes(100, 100).record(kScaleWindowExt, {0, 1, 1, 1});
         },
         "zero denominator"},
        {"FillRegionWithADeletedBrush",
         [] {
             return MetafileBytes(100, 100)
                 .record(kCreateBrush, {0, 0, 0, 0})
                 .record(kCreateRegion, {0, 6, 0, 0, 34, 1, 1, 0, 0, 50, 50, 2, 0, 50, 0, 50, 2})
                 .record(kDeleteObject, {0})
                 .record(kFillRegion, {1, 0});
         },
         "does not exist"},
    };
}

TEST(MetafileLimits, WorkPastEachLimitIsRefusedWithItsReason) {
    for (const LimitCase& c : LimitCases()) {
        SCOPED_TRACE(c.name);
        const Result<Picture> picture = ReadPlaceableMetafile(c.make().bytes());
        EXPECT_FALSE(picture);
        const QString error = picture ? QString() : picture.reason();
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    }
}

TEST(MetafileLimits, SaveDcJustBelowTheLimitStillLoads) {
    MetafileBytes file(100, 100);
    for (qsizetype i = 0; i < kMaxSavedStates; ++i)
        file.record(kSaveDc, {});
    const Result<Picture> picture = ReadPlaceableMetafile(file.bytes());
    EXPECT_TRUE(picture) << picture.reason().toStdString();
}

// Whatever sits at a picture's path, only a regular file is read, and anything else fails at
// once instead of waiting for a writer that never comes.
TEST(PictureFiles, OnlyRegularFilesAreRead) {
    QTemporaryDir folder;
    const std::string fifo = (folder.path() + "/FIFO.WMF").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        const char* name;
        std::string path;
    };
    for (const Case& c : {Case{"Fifo", fifo}, Case{"CharacterDevice", "/dev/zero"},
                          Case{"Folder", folder.path().toStdString()}}) {
        SCOPED_TRACE(c.name);
        const Result<Picture> picture = LoadPicture(c.path);
        EXPECT_FALSE(picture);
        const QString error = picture ? QString() : picture.reason();
        EXPECT_TRUE(error.contains(QLatin1String("not a regular file"))) << error.toStdString();
    }
}

} // namespace
} // namespace quillset::test
