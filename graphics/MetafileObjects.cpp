#include "graphics/MetafileObjects.h"

#include "graphics/MetafileBitmap.h"
#include "platform/CodePage.h"

#include <QImage>
#include <cstdlib>

namespace quillset {

namespace {

Qt::PenStyle PenStyle(std::uint16_t style) {
    switch (style & 0x0F) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case 5:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

GdiObject BrushObject(QBrush brush) {
    GdiObject object;
    object.kind = GdiObject::Kind::Brush;
    object.brush = std::move(brush);
    return object;
}

} // namespace

GdiObject PenFromRecord(const MetafileParams& p) {
    const std::uint16_t style = p.u16(0);
    QPen pen(p.color(3), std::abs(p.s16(1)));
    pen.setStyle(PenStyle(style));
    // Wide pens end and join round unless the style says otherwise, as GDI draws them.
    switch (style & 0x0F00) {
    case 0x0100:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case 0x0200:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
    }
    switch (style & 0xF000) {
    case 0x1000:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case 0x2000:
        pen.setJoinStyle(Qt::MiterJoin);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
    }
    GdiObject object;
    object.kind = GdiObject::Kind::Pen;
    object.pen = pen;
    return object;
}

GdiObject BrushFromRecord(const MetafileParams& p) {
    const std::uint16_t style = p.u16(0);
    const QColor color = p.color(1);
    const std::uint16_t hatch = p.u16(3);
    switch (style) {
    case 0:
        return BrushObject(QBrush(color));
    case 2: {
        static constexpr Qt::BrushStyle kHatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                      Qt::FDiagPattern, Qt::BDiagPattern,
                                                      Qt::CrossPattern, Qt::DiagCrossPattern};
        return BrushObject(QBrush(color, hatch < 6 ? kHatches[hatch] : Qt::SolidPattern));
    }
    default: // the null brush; pattern brushes come in their own records
        return BrushObject(QBrush(Qt::NoBrush));
    }
}

GdiObject PatternBrushFromRecord(const MetafileParams& p) {
    // Style, colour usage, then the pattern as a device-independent bitmap.
    const std::uint16_t style = p.u16(0);
    const bool paletteIndices = p.u16(1) == 1;
    const qsizetype size = p.bytesFrom(2);
    const QImage pattern = style == 3 ? DecodeBlitBitmap(p.bytes(2, size), size)
                                      : DecodeDib(p.bytes(2, size), size, paletteIndices);
    return BrushObject(pattern.isNull() ? QBrush(Qt::gray) : QBrush(pattern));
}

GdiObject FontFromRecord(const MetafileParams& p) {
    LogicalFont font;
    font.height = p.s16(0);
    font.escapement = p.s16(2);
    font.weight = p.s16(4);
    const uchar* flags = p.bytes(5, 8);
    font.italic = flags[0] != 0;
    font.underline = flags[1] != 0;
    font.strikeOut = flags[2] != 0;
    const qsizetype faceBytes = std::min<qsizetype>(32, 2 * (p.words() - 9));
    if (faceBytes > 0) {
        const char* face = reinterpret_cast<const char*>(p.bytes(9, faceBytes));
        qsizetype length = 0;
        while (length < faceBytes && face[length] != 0)
            ++length;
        font.face = AnsiToString(face, length);
    }
    GdiObject object;
    object.kind = GdiObject::Kind::Font;
    object.font = std::move(font);
    return object;
}

GdiObject RegionFromRecord(const MetafileParams& p) {
    // Eleven words of header (the scan count at word 5), then per scan: a count of edges, top,
    // bottom, the left and right of each band, and the count again.
    const qsizetype scans = p.u16(5);
    std::vector<QRect> rects;
    qsizetype at = 11;
    for (qsizetype scan = 0; scan < scans; ++scan) {
        const qsizetype edges = p.u16(at);
        const int top = p.s16(at + 1), bottom = p.s16(at + 2);
        if (edges % 2 || qsizetype(rects.size()) + edges / 2 > kMaxRegionRectangles)
            throw BadMetafile(edges % 2 ? "a region scan has an odd number of edges"
                                        : "a region has more rectangles than allowed");
        for (qsizetype k = 0; k < edges; k += 2) {
            const int left = p.s16(at + 3 + k), right = p.s16(at + 4 + k);
            if (right > left && bottom > top)
                rects.emplace_back(QPoint(left, top), QPoint(right - 1, bottom - 1));
        }
        at += 4 + edges;
    }
    GdiObject object;
    object.kind = GdiObject::Kind::Region;
    object.region.setRects(rects.data(), int(rects.size()));
    return object;
}

void ObjectTable::store(GdiObject object) {
    if (!freed_.empty()) {
        objects_[std::size_t(freed_.top())] = std::move(object);
        freed_.pop();
        return;
    }
    if (qsizetype(objects_.size()) >= declared_)
        throw BadMetafile("more objects than the header declares");
    objects_.push_back(std::move(object));
}

const GdiObject* ObjectTable::find(std::uint16_t index) const {
    if (index >= objects_.size() || !objects_[index])
        return nullptr;
    return &*objects_[index];
}

const GdiObject& ObjectTable::at(std::uint16_t index) const {
    const GdiObject* object = find(index);
    if (!object)
        throw BadMetafile("a record names an object that does not exist");
    return *object;
}

void ObjectTable::remove(std::uint16_t index) {
    at(index);
    objects_[index].reset();
    freed_.push(index);
}

} // namespace quillset
