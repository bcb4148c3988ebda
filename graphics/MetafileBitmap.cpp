#include "graphics/MetafileBitmap.h"

#include "graphics/BitmapFormat.h"
#include "graphics/MetafileRecord.h"
#include "graphics/PictureLoader.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <cstdlib>

namespace quillset {

namespace {

std::uint16_t Word(const uchar* at) {
    return qFromLittleEndian<std::uint16_t>(at);
}
std::uint32_t Dword(const uchar* at) {
    return qFromLittleEndian<std::uint32_t>(at);
}

void CheckSize(qint64 width, qint64 height) {
    width = std::llabs(width);
    height = std::llabs(height);
    if (width > kMaxPictureSide || height > kMaxPictureSide ||
        width * height * 4 > kMaxPictureBytes)
        throw BadMetafile("a bitmap in the metafile is larger than allowed");
}

bool IsDibHeaderSize(std::uint32_t size) {
    return size == kBitmapCoreHeaderBytes || size == kBitmapInfoHeaderBytes || size == 52 ||
           size == 56 || size == 108 || size == 124;
}

} // namespace

QImage DecodeDib(const uchar* data, qsizetype size, bool paletteIndices) {
    if (size < 4)
        throw BadMetafile("a bitmap is shorter than its header");
    const std::uint32_t headerBytes = Dword(data);
    if (!IsDibHeaderSize(headerBytes) || qsizetype(headerBytes) > size)
        throw BadMetafile("a bitmap is shorter than its header");
    qint64 width, height;
    std::uint32_t bitCount, compression = 0, colorsUsed = 0;
    qint64 paletteEntryBytes = 4;
    if (headerBytes == kBitmapCoreHeaderBytes) {
        width = Word(data + 4);
        height = Word(data + 6);
        bitCount = Word(data + 10);
        paletteEntryBytes = 3;
    } else {
        width = std::int32_t(Dword(data + 4));
        height = std::int32_t(Dword(data + 8));
        bitCount = Word(data + 14);
        compression = Dword(data + 16);
        colorsUsed = Dword(data + 32);
    }
    if (width == 0 || height == 0 || compression == kBitmapJpeg || compression == kBitmapPng ||
        paletteIndices)
        return {};
    CheckSize(width, height);
    qint64 colors = colorsUsed;
    if (colors == 0 && bitCount <= 8)
        colors = qint64(1) << bitCount;
    const qint64 masks =
        (headerBytes == kBitmapInfoHeaderBytes && compression == kBitmapBitFields) ? 12 : 0;
    const qint64 pixelsAt = headerBytes + masks + colors * paletteEntryBytes;
    if (colors > 65536 || pixelsAt > size)
        throw BadMetafile("a bitmap is shorter than its header");

    // Qt's BMP reader does the decoding; it only lacks the file header that records leave out.
    QByteArray file(kBitmapFileHeaderBytes, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<std::uint32_t>(std::uint32_t(kBitmapFileHeaderBytes + size), file.data() + 2);
    qToLittleEndian<std::uint32_t>(std::uint32_t(kBitmapFileHeaderBytes + pixelsAt),
                                   file.data() + 10);
    file.append(reinterpret_cast<const char*>(data), size);
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image = reader.read();
    if (image.isNull())
        throw BadMetafile("a bitmap in the metafile cannot be read");
    // Kept without a colour table: pixels may name colours past the table's end, and the
    // conversion settles them once, here, rather than in every later reader of the image.
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage DecodeBlitBitmap(const uchar* data, qsizetype size) {
    if (size >= 4 && IsDibHeaderSize(Dword(data)))
        return DecodeDib(data, size);
    // Type, width, height, bytes per row, planes and bits per pixel, then the rows top down.
    constexpr qsizetype kHeaderBytes = 10;
    if (size < kHeaderBytes)
        throw BadMetafile("a bitmap is shorter than its header");
    const int width = std::int16_t(Word(data + 2)), height = std::int16_t(Word(data + 4));
    const qsizetype stride = Word(data + 6);
    const int planes = data[8], bitCount = data[9];
    if (width <= 0 || height <= 0 || planes != 1 ||
        (bitCount != 1 && bitCount != 24 && bitCount != 32))
        return {};
    CheckSize(width, height);
    if (stride < (qsizetype(width) * bitCount + 7) / 8 || stride * height > size - kHeaderBytes)
        throw BadMetafile("a bitmap is shorter than its pixels");
    const uchar* rows = data + kHeaderBytes;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const uchar* row = rows + y * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (bitCount == 1) {
                // A set bit is the background (white), a clear one the foreground (black).
                out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            } else {
                const uchar* pixel = row + x * (bitCount / 8);
                out[x] = qRgb(pixel[2], pixel[1], pixel[0]);
            }
        }
    }
    return image;
}

} // namespace quillset
