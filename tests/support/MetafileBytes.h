#pragma once

#include <QByteArray>
#include <QRgb>
#include <QtEndian>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace quillset::test {

// Builds a small placeable metafile record by record, for tests that need one exact drawing.
class MetafileBytes {
public:
    MetafileBytes(std::int16_t width, std::int16_t height, std::uint16_t objects = 4)
        : width_(width), height_(height), objects_(objects) {}

    MetafileBytes& record(std::uint16_t function, std::initializer_list<std::int16_t> words,
                          const QByteArray& tail = {}) {
        QByteArray padded = tail;
        if (padded.size() % 2)
            padded.append('\0');
        putDword(body_, std::uint32_t(3 + words.size() + padded.size() / 2));
        putWord(body_, function);
        for (std::int16_t w : words)
            putWord(body_, std::uint16_t(w));
        body_.append(padded);
        return *this;
    }

    // The size field counts the placeable header too, as some writers fill it.
    MetafileBytes& countingPlaceableHeader() {
        countsPlaceableHeader_ = true;
        return *this;
    }

    // A 24-bit device-independent bitmap as records carry it; `pixels` row by row from the top,
    // bottom-up unless `topDown`.
    static QByteArray dib24(int width, const std::vector<QRgb>& pixels, bool topDown = false) {
        const int height = int(pixels.size()) / width;
        const int stride = (width * 3 + 3) & ~3;
        QByteArray out;
        for (std::uint32_t v :
             {40u, std::uint32_t(width), std::uint32_t(topDown ? -height : height)})
            putDword(out, v);
        putWord(out, 1);
        putWord(out, 24);
        for (int i = 0; i < 6; ++i)
            putDword(out, 0);
        for (int row = 0; row < height; ++row) {
            const int y = topDown ? row : height - 1 - row;
            QByteArray line;
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = pixels[std::size_t(y * width + x)];
                line.append(char(qBlue(pixel)))
                    .append(char(qGreen(pixel)))
                    .append(char(qRed(pixel)));
            }
            line.append(QByteArray(stride - line.size(), '\0'));
            out.append(line);
        }
        return out;
    }

    QByteArray bytes() const {
        QByteArray records = body_;
        putDword(records, 3);
        putWord(records, 0);
        QByteArray out;
        putDword(out, 0x9AC6CDD7u);
        for (std::int16_t w : {std::int16_t(0), std::int16_t(0), std::int16_t(0), width_, height_})
            putWord(out, std::uint16_t(w));
        putWord(out, 1440);
        putDword(out, 0);
        std::uint16_t checksum = 0;
        for (int i = 0; i < 10; ++i)
            checksum ^= qFromLittleEndian<std::uint16_t>(out.constData() + 2 * i);
        putWord(out, checksum);
        putWord(out, 1);
        putWord(out, 9);
        putWord(out, 0x0300);
        putDword(out, std::uint32_t((18 + records.size() + (countsPlaceableHeader_ ? 22 : 0)) / 2));
        putWord(out, objects_);
        putDword(out, 64);
        putWord(out, 0);
        return out + records;
    }

private:
    static void putWord(QByteArray& out, std::uint16_t value) {
        out.append(char(value & 0xFF)).append(char(value >> 8));
    }
    static void putDword(QByteArray& out, std::uint32_t value) {
        putWord(out, std::uint16_t(value & 0xFFFF));
        putWord(out, std::uint16_t(value >> 16));
    }

    std::int16_t width_, height_;
    std::uint16_t objects_;
    bool countsPlaceableHeader_ = false;
    QByteArray body_;
};

// Record functions used by the tests.
enum : std::uint16_t {
    kEscape = 0x0626,
    kSetMapMode = 0x0103,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kScaleWindowExt = 0x0410,
    kIntersectClipRect = 0x0416,
    kExcludeClipRect = 0x0415,
    kSelectClipRegion = 0x012C,
    kCreateRegion = 0x06FF,
    kFillRegion = 0x0228,
    kFrameRegion = 0x0429,
    kPaintRegion = 0x012B,
    kInvertRegion = 0x012A,
    kSetPixel = 0x041F,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kPatBlt = 0x061D,
    kBitBlt = 0x0922,
    kDibBitBlt = 0x0940,
    kDibStretchBlt = 0x0B41,
    kStretchDib = 0x0F43,
    kCreateFont = 0x02FB,
    kTextOut = 0x0521,
    kPolygon = 0x0324,
    kDeleteObject = 0x01F0,
    kSaveDc = 0x001E,
    kRestoreDc = 0x0127,
    kSelectObject = 0x012D,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kCreatePen = 0x02FA,
    kCreateBrush = 0x02FC,
    kRectangle = 0x041B,
    kRoundRect = 0x061C,
};

} // namespace quillset::test
