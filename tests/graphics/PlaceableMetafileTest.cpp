#include "graphics/PlaceableMetafile.h"
#include "tests/support/DemoFiles.h"
#include "tests/support/Files.h"
#include "tests/support/MetafileBytes.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <random>

namespace quillset::test {
namespace {

struct DemoMetafile {
    const char* file;
    QSize naturalSize; // the frame in twips at 96 dpi
};

class DemoMetafiles : public testing::TestWithParam<DemoMetafile> {};

TEST_P(DemoMetafiles, LoadAsVectorPicturesOfTheirFramesSize) {
    const QByteArray data = ReadAll(PathText(Demo(GetParam().file)));
    ASSERT_FALSE(data.isEmpty()) << GetParam().file;
    const Result<Picture> picture = ReadPlaceableMetafile(data);
    ASSERT_TRUE(picture) << picture.reason().toStdString();
    EXPECT_TRUE(picture->isVector());
    EXPECT_EQ(picture->naturalSize(), GetParam().naturalSize);
}

INSTANTIATE_TEST_SUITE_P(Assets, DemoMetafiles,
                         testing::Values(DemoMetafile{"QUOTATION/GLOBE.WMF", {101, 113}},
                                         DemoMetafile{"QUOTATION/LINE.WMF", {641, 7}},
                                         DemoMetafile{"QUOTATION/LINE2.WMF", {227, 7}},
                                         DemoMetafile{"FORMATED TEXT/IMAGE1.WMF", {81, 982}},
                                         DemoMetafile{"FORMATED TEXT/IMAGE2.WMF", {630, 19}},
                                         DemoMetafile{"FORMATED TEXT/IMAGE3.WMF", {94, 82}}));

TEST(PlaceableMetafile, EveryTruncationOfARealAssetFails) {
    const QByteArray globe = ReadAll(PathText(Demo("QUOTATION/GLOBE.WMF")));
    ASSERT_GT(globe.size(), 100);
    for (qsizetype length = 0; length < globe.size(); ++length) {
        const Result<Picture> picture =
            ReadPlaceableMetafile(QByteArrayView(globe.constData(), length));
        EXPECT_FALSE(picture) << "cut at " << length;
        const QString error = picture ? QString() : picture.reason();
        EXPECT_FALSE(error.isEmpty()) << "cut at " << length;
    }
}

// Random bit flips must never crash or overread. Any flip inside the placeable header is caught
// by its checksum, so those files must fail; elsewhere a flip may still leave a valid file.
TEST(PlaceableMetafile, BitFlipsFailCleanlyAndHeaderFlipsAlwaysFail) {
    const QByteArray globe = ReadAll(PathText(Demo("QUOTATION/GLOBE.WMF")));
    ASSERT_FALSE(globe.isEmpty());
    std::mt19937 random(20240601);
    std::uniform_int_distribution<qsizetype> anyByte(0, globe.size() - 1);
    std::uniform_int_distribution<int> anyBit(0, 7);
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray damaged = globe;
        const qsizetype at = round % 4 == 0 ? anyByte(random) % 22 : anyByte(random);
        damaged[at] = char(damaged[at] ^ (1 << anyBit(random)));
        const Result<Picture> picture = ReadPlaceableMetafile(damaged);
        if (at < 22) {
            EXPECT_FALSE(picture) << "flip in the placeable header at byte " << at;
        }
        if (picture) {
            ++loaded;
            QImage image(40, 40, QImage::Format_ARGB32_Premultiplied);
            QPainter painter(&image);
            picture->drawInto(painter, QRectF(0, 0, 40, 40));
        }
    }
    EXPECT_GT(loaded, 0) << "some flips in drawing coordinates leave a valid file";
}

TEST(PlaceableMetafile, DeletedObjectsFreeTheirSlotForTheNextOne) {
    // Objects freed by DeleteObject are reused: three pens in a table of one slot.
    MetafileBytes file(100, 100, 1);
    for (int i = 0; i < 3; ++i) {
        file.record(kCreatePen, {0, 1, 0, 0, 0});
        file.record(kSelectObject, {0});
        file.record(0x01F0, {0});
    }
    const Result<Picture> picture = ReadPlaceableMetafile(file.bytes());
    EXPECT_TRUE(picture) << picture.reason().toStdString();
}

} // namespace
} // namespace quillset::test
