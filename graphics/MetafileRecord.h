#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QtEndian>
#include <cstdint>
#include <stdexcept>

namespace quillset {

// What one metafile may ask of the reader. Real files stay far below these; past them the file
// is refused rather than replayed for minutes or gigabytes.
constexpr qsizetype kMaxMetafileRecords = 2'000'000;
constexpr qsizetype kMaxSavedStates = 1024;
constexpr qsizetype kMaxPointsPerShape = 200'000;
constexpr qsizetype kMaxRegionRectangles = 100'000;
// Pixels of all bitmaps in one metafile together, at four bytes a pixel.
constexpr qint64 kMaxMetafileBitmapBytes = 200LL * 1024 * 1024;

// Record functions (the low byte names the record, the high byte its parameter word count in
// the simplest records).
enum MetafileFunction : std::uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_FRAMEREGION = 0x0429,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
};

struct BadMetafile : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The parameter words of one record; every read is checked against the record's own size.
class MetafileParams {
public:
    MetafileParams(const uchar* data, qsizetype words) : data_(data), words_(words) {}

    qsizetype words() const { return words_; }
    std::uint16_t u16(qsizetype index) const {
        require(index, 1);
        return qFromLittleEndian<std::uint16_t>(data_ + 2 * index);
    }
    std::int16_t s16(qsizetype index) const { return std::int16_t(u16(index)); }
    std::uint32_t u32(qsizetype index) const {
        require(index, 2);
        return qFromLittleEndian<std::uint32_t>(data_ + 2 * index);
    }
    QColor color(qsizetype index) const {
        require(index, 2);
        const uchar* bytes = data_ + 2 * index;
        return QColor(bytes[0], bytes[1], bytes[2]);
    }
    const uchar* bytes(qsizetype index, qsizetype count) const {
        require(index, (count + 1) / 2);
        return data_ + 2 * index;
    }
    // The bytes from word `index` to the end of the record.
    qsizetype bytesFrom(qsizetype index) const {
        require(index, 0);
        return 2 * (words_ - index);
    }
    // A point stored y first, as every record stores its coordinates.
    QPointF point(qsizetype index) const { return QPointF(s16(index + 1), s16(index)); }
    // A point stored x first, as point lists store theirs.
    QPointF listPoint(qsizetype index) const { return QPointF(s16(index), s16(index + 1)); }
    // A rectangle stored bottom, right, top, left (the order of the drawing records).
    QRectF rectangle(qsizetype index) const {
        const double bottom = s16(index), right = s16(index + 1);
        const double top = s16(index + 2), left = s16(index + 3);
        return QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    }

private:
    void require(qsizetype index, qsizetype count) const {
        if (index < 0 || count < 0 || index + count > words_)
            throw BadMetafile("a record is shorter than its contents");
    }

    const uchar* data_;
    qsizetype words_;
};

} // namespace quillset
