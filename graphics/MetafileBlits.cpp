#include "graphics/MetafileBitmap.h"
#include "graphics/MetafilePlayer.h"

namespace quillset {

namespace {

// Raster operations by their full codes.
constexpr std::uint32_t kSourceCopy = 0x00CC0020;
constexpr std::uint32_t kSourceOr = 0x00EE0086;
constexpr std::uint32_t kSourceAnd = 0x008800C6;
constexpr std::uint32_t kSourceXor = 0x00660046;
constexpr std::uint32_t kNotSourceCopy = 0x00330008;
constexpr std::uint32_t kPatternCopy = 0x00F00021;
constexpr std::uint32_t kPatternXor = 0x005A0049;
constexpr std::uint32_t kInvertTarget = 0x00550009;
constexpr std::uint32_t kBlack = 0x00000042;
constexpr std::uint32_t kWhite = 0x00FF0062;
constexpr std::uint32_t kKeepTarget = 0x00AA0029;

// The nearest blend for the raster operations that masks and sprites are made of: AND darkens
// through a mask, OR lightens, XOR flips.
QPainter::CompositionMode BlendFor(std::uint32_t operation) {
    switch (operation) {
    case kSourceOr:
        return QPainter::CompositionMode_Lighten;
    case kSourceAnd:
        return QPainter::CompositionMode_Multiply;
    case kSourceXor:
    case kPatternXor:
    case kInvertTarget:
        return QPainter::CompositionMode_Difference;
    case kSourceCopy:
    case kPatternCopy:
    default: // the plain copies, and the rest drawn as a copy
        return QPainter::CompositionMode_SourceOver;
    }
}

// The rectangle of a blit record, stored height, width, y, x from `index`.
QRectF StoredRect(const MetafileParams& p, qsizetype index) {
    return QRectF(p.s16(index + 3), p.s16(index + 2), p.s16(index + 1), p.s16(index));
}

} // namespace

void MetafilePlayer::patBlt(const MetafileParams& p) {
    fillByRasterOperation(StoredRect(p, 2), p.u32(0));
}

void MetafilePlayer::fillByRasterOperation(const QRectF& target, std::uint32_t operation) {
    QBrush brush = dc_.brush;
    switch (operation) {
    case kKeepTarget:
        return;
    case kBlack:
        brush = QBrush(Qt::black);
        break;
    case kWhite:
    case kInvertTarget:
        brush = QBrush(Qt::white);
        break;
    }
    painter_.save();
    painter_.setCompositionMode(BlendFor(operation));
    painter_.fillRect(target.normalized(), brush);
    painter_.restore();
}

void MetafilePlayer::blit(std::uint16_t function, const MetafileParams& p) {
    const std::uint32_t operation = p.u32(0);
    // A record of the bare size has no bitmap: it fills with the brush by its raster operation.
    const bool bare = function != META_STRETCHDIB && p.words() == (function >> 8);
    QRectF source, target;
    qsizetype bitmapAt = 0;
    bool paletteIndices = false;
    switch (function) {
    case META_BITBLT:
    case META_DIBBITBLT: {
        // Source y, x, then the target's height, width, y and x.
        const qsizetype targetAt = bare ? 5 : 4;
        target = StoredRect(p, targetAt);
        source = QRectF(p.s16(3), p.s16(2), target.width(), target.height());
        bitmapAt = 8;
        break;
    }
    case META_STRETCHBLT:
    case META_DIBSTRETCHBLT:
        source = StoredRect(p, 2);
        target = StoredRect(p, bare ? 7 : 6);
        bitmapAt = 10;
        break;
    default: // META_STRETCHDIB: colour usage, then source and target
        paletteIndices = p.u16(2) == 1;
        source = StoredRect(p, 3);
        target = StoredRect(p, 7);
        bitmapAt = 11;
    }
    if (bare) {
        fillByRasterOperation(target, operation);
        return;
    }
    const qsizetype size = p.bytesFrom(bitmapAt);
    const uchar* bytes = p.bytes(bitmapAt, size);
    const QImage image = (function == META_BITBLT || function == META_STRETCHBLT)
                             ? DecodeBlitBitmap(bytes, size)
                             : DecodeDib(bytes, size, paletteIndices);
    if (image.isNull())
        return;
    bitmapBytes_ += image.sizeInBytes();
    if (bitmapBytes_ > kMaxMetafileBitmapBytes)
        throw BadMetafile("the metafile's bitmaps are larger than allowed");
    if (function == META_STRETCHDIB &&
        std::int32_t(qFromLittleEndian<std::uint32_t>(bytes)) != 12 &&
        std::int32_t(qFromLittleEndian<std::uint32_t>(bytes + 8)) > 0) {
        // The source of a bottom-up bitmap is measured from its bottom row.
        source.moveTop(image.height() - source.top() - source.height());
    }
    drawBitmap(image, source, target, operation);
}

void MetafilePlayer::drawBitmap(const QImage& image, QRectF source, const QRectF& target,
                                std::uint32_t operation) {
    source = source.normalized();
    if (source.isEmpty() || target.width() == 0 || target.height() == 0)
        return;
    QImage shown = image;
    if (operation == kNotSourceCopy)
        shown.invertPixels();
    painter_.save();
    painter_.setCompositionMode(BlendFor(operation));
    // A negative target width or height mirrors the bitmap.
    painter_.translate(target.topLeft());
    painter_.scale(target.width() / source.width(), target.height() / source.height());
    painter_.drawImage(QRectF(QPointF(0, 0), source.size()), shown, source);
    painter_.restore();
}

} // namespace quillset
