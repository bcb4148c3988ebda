#include "graphics/MetafilePlayer.h"
#include "platform/CodePage.h"

#include <QFontMetricsF>
#include <cmath>

namespace quillset {

namespace {

constexpr std::uint16_t kUpdateCurrentPosition = 0x0001;
constexpr std::uint16_t kOpaqueBox = 0x0002;
constexpr std::uint16_t kClippedToBox = 0x0004;

// Small logical heights are drawn from a larger font scaled down, since Qt sizes fonts in whole
// pixels and a height of 3 units would otherwise lose a third of itself to rounding.
constexpr double kSmallestDrawnHeight = 100;

QFont FontFor(const LogicalFont& logical, double pixelHeight) {
    QFont font(logical.face.isEmpty() ? QStringLiteral("Arial") : logical.face);
    font.setPixelSize(std::max(1, int(std::lround(pixelHeight))));
    font.setWeight(QFont::Weight(std::clamp(logical.weight == 0 ? 400 : logical.weight, 100, 900)));
    font.setItalic(logical.italic);
    font.setUnderline(logical.underline);
    font.setStrikeOut(logical.strikeOut);
    return font;
}

} // namespace

void MetafilePlayer::textOut(const MetafileParams& p) {
    // Length, the characters (padded to a word), then y and x.
    const qsizetype length = p.s16(0);
    if (length < 0)
        throw BadMetafile("a text has a negative length");
    const qsizetype after = 1 + (length + 1) / 2;
    const auto* text = reinterpret_cast<const char*>(p.bytes(1, length));
    drawText(p.point(after), AnsiToString(text, length), {});
}

void MetafilePlayer::extTextOut(const MetafileParams& p) {
    // y, x, length, options, the box when the options name one, the characters, and optionally
    // the advance of each character.
    const QPointF at = p.point(0);
    const qsizetype length = p.s16(2);
    if (length < 0)
        throw BadMetafile("a text has a negative length");
    const std::uint16_t options = p.u16(3);
    const bool hasBox = options & (kOpaqueBox | kClippedToBox);
    const qsizetype textAt = hasBox ? 8 : 4;
    const auto* text = reinterpret_cast<const char*>(p.bytes(textAt, length));
    std::vector<double> advances;
    const qsizetype advancesAt = textAt + (length + 1) / 2;
    if (p.words() >= advancesAt + length) {
        advances.reserve(std::size_t(length));
        for (qsizetype i = 0; i < length; ++i)
            advances.push_back(p.s16(advancesAt + i));
    }
    painter_.save();
    if (hasBox) {
        const QRectF box =
            QRectF(QPointF(p.s16(4), p.s16(5)), QPointF(p.s16(6), p.s16(7))).normalized();
        if (options & kOpaqueBox)
            painter_.fillRect(box, dc_.backColor);
        if (options & kClippedToBox)
            painter_.setClipRect(box, Qt::IntersectClip);
    }
    drawText(at, AnsiToString(text, length), advances);
    painter_.restore();
}

void MetafilePlayer::drawText(QPointF at, const QString& text,
                              const std::vector<double>& advances) {
    if (dc_.textAlign & kUpdateCurrentPosition)
        at = dc_.position;
    const double height = std::max(1, std::abs(dc_.font.height));
    const double enlarge = height < kSmallestDrawnHeight ? kSmallestDrawnHeight / height : 1;
    QFont font = FontFor(dc_.font, height * enlarge);
    if (dc_.font.height > 0) {
        // A positive height is the character cell's, leading included.
        const double cell = QFontMetricsF(font).height();
        font = FontFor(dc_.font, height * enlarge * height * enlarge / cell);
    }
    const QFontMetricsF metrics(font);
    // Advances are in logical units; the font is drawn `enlarge` times too large.
    double width = 0;
    std::vector<double> offsets;
    if (!advances.empty() && qsizetype(advances.size()) == text.size()) {
        for (double advance : advances) {
            offsets.push_back(width);
            width += advance * enlarge;
        }
    } else {
        width = metrics.horizontalAdvance(text);
    }
    double dx = 0, dy = 0;
    switch (dc_.textAlign & 6) {
    case 2:
        dx = -width;
        break;
    case 6:
        dx = -width / 2;
        break;
    }
    switch (dc_.textAlign & 24) {
    case 0:
        dy = metrics.ascent();
        break;
    case 8:
        dy = -metrics.descent();
        break;
    }
    // Text stands upright and reads left to right whatever way the mapping turns the axes.
    const QTransform map = painter_.transform();
    painter_.save();
    painter_.setFont(font);
    painter_.setPen(dc_.textColor);
    painter_.setBackgroundMode(dc_.opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.backColor);
    painter_.translate(at);
    painter_.scale(map.m11() < 0 ? -1 : 1, map.m22() < 0 ? -1 : 1);
    if (dc_.font.escapement != 0)
        painter_.rotate(-dc_.font.escapement / 10.0);
    painter_.scale(1 / enlarge, 1 / enlarge);
    if (offsets.empty()) {
        painter_.drawText(QPointF(dx, dy), text);
    } else {
        for (qsizetype i = 0; i < text.size(); ++i)
            painter_.drawText(QPointF(dx + offsets[std::size_t(i)], dy), QString(text[i]));
    }
    painter_.restore();
    if (dc_.textAlign & kUpdateCurrentPosition)
        dc_.position = at + QPointF(width / enlarge, 0);
}

} // namespace quillset
