#include "movie/FormPicture.h"
#include "graphics/PictureLoader.h"

#include <QBuffer>
#include <QDataStream>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

QByteArray Saved(QImage image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "BMP"));
    return bytes;
}

QImage Filled(int width, int height, QImage::Format format) {
    QImage image(width, height, format);
    if (format == QImage::Format_Indexed8) {
        image.setColorCount(2);
        image.setColor(0, qRgb(0, 0, 0));
        image.setColor(1, qRgb(255, 255, 0));
    }
    image.fill(1);
    return image;
}

// A bitmap with a 40-byte info header and no palette: 24 bits a pixel unless told otherwise.
QByteArray InfoBitmap(qint32 width, qint32 height, quint16 bits, quint32 compression,
                      quint32 imageSize, qsizetype pixelBytes) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(54 + pixelBytes) << quint32(0) << quint32(54)
        << quint32(40) << width << height << quint16(1) << bits << compression << imageSize
        << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    return bytes + QByteArray(pixelBytes, '\x40');
}

// The same with the old 12-byte core header.
QByteArray CoreBitmap(quint16 width, quint16 height, qsizetype pixelBytes) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint8('B') << quint8('M') << quint32(26 + pixelBytes) << quint32(0) << quint32(26)
        << quint32(12) << width << height << quint16(1) << quint16(24);
    return bytes + QByteArray(pixelBytes, '\x40');
}

struct CompletenessCase {
    const char* name;
    QByteArray data;
    bool complete;
};

TEST(BitmapDataIsComplete, HoldsTheDeclaredRowsAgainstTheFile) {
    const QByteArray rgb = Saved(Filled(33, 7, QImage::Format_RGB888));
    const QByteArray argb = Saved(Filled(5, 9, QImage::Format_ARGB32));
    const QByteArray indexed = Saved(Filled(13, 3, QImage::Format_Indexed8));
    const QByteArray mono = Saved(Filled(17, 4, QImage::Format_Mono));
    // Rows are padded to 4 bytes; InfoBitmap(3, ...) has rows of 9 bytes padded to 12.
    const CompletenessCase cases[] = {
        {"Rgb", rgb, true},
        {"RgbWithoutLastPadding", rgb.chopped(1), true},
        {"RgbShortOfPixels", rgb.chopped(5), false},
        {"RgbHalf", rgb.left(rgb.size() / 2), false},
        {"Argb", argb, true},
        {"ArgbShortOfPixels", argb.chopped(5), false},
        {"Indexed", indexed, true},
        {"IndexedOneRowShort", indexed.chopped(16), false},
        {"Mono", mono, true},
        {"MonoShortOfPixels", mono.chopped(2), false},
        {"TopDownRows", InfoBitmap(3, -2, 24, 0, 0, 24), true},
        {"TopDownRowsShort", InfoBitmap(3, -2, 24, 0, 0, 20), false},
        {"LastRowWithoutPadding", InfoBitmap(3, 2, 24, 0, 0, 21), true},
        {"LastRowCut", InfoBitmap(3, 2, 24, 0, 0, 20), false},
        {"CoreHeader", CoreBitmap(3, 2, 24), true},
        {"CoreHeaderShort", CoreBitmap(3, 2, 12), false},
        {"HugeDeclaredSize", InfoBitmap(30000, 30000, 24, 0, 0, 0), false},
        {"LargestDeclaredSizes", InfoBitmap(0x7fffffff, 0x7fffffff, 0xffff, 0, 0, 8), false},
        {"SmallestDeclaredHeight", InfoBitmap(4, qint32(0x80000000), 24, 0, 0, 8), false},
        {"RunLengthWithinFile", InfoBitmap(8, 8, 8, 1, 30, 30), true},
        {"RunLengthPastTheEnd", InfoBitmap(8, 8, 8, 1, 31, 30), false},
        {"PixelOffsetPastTheEnd", InfoBitmap(1, 1, 24, 0, 0, 4).left(40), false},
        {"HeaderCutShort", rgb.left(30), false},
        {"OnlyTheSignature", QByteArray("BM"), false},
        {"NoPixelsDeclared", InfoBitmap(0, 0, 24, 0, 0, 0), true},
        {"NotABitmap", QByteArray("GIF89a\x01\x00\x01\x00", 10), true},
        {"Empty", QByteArray(), true},
    };
    for (const CompletenessCase& c : cases)
        EXPECT_EQ(BitmapDataIsComplete(c.data), c.complete) << c.name;
}

TEST(BitmapDataIsComplete, CompleteBitmapsStillDecode) {
    for (const QImage::Format format : {QImage::Format_RGB888, QImage::Format_ARGB32,
                                        QImage::Format_Indexed8, QImage::Format_Mono}) {
        const QByteArray data = Saved(Filled(21, 11, format));
        ASSERT_TRUE(BitmapDataIsComplete(data)) << format;
        const Result<Picture> picture = DecodePicture(data);
        ASSERT_TRUE(picture) << format;
        EXPECT_EQ(picture->naturalSize(), QSize(21, 11));
    }
}

} // namespace
} // namespace quillset::test
