#include "graphics/MetafilePlayer.h"

#include <cmath>
#include <numbers>

namespace quillset {

namespace {

// The angle, in degrees counter-clockwise as seen on a y-down page, of the ray from the centre of
// `box` through `point`, measured on the ellipse's own scale so that Qt's arcs meet the point.
double RayAngle(const QRectF& box, QPointF point) {
    const QPointF centre = box.center();
    const double dx = (point.x() - centre.x()) / std::max(box.width(), 1e-9);
    const double dy = (point.y() - centre.y()) / std::max(box.height(), 1e-9);
    return std::atan2(-dy, dx) * 180 / std::numbers::pi;
}

} // namespace

std::vector<QPointF> MetafilePlayer::points(const MetafileParams& p, qsizetype first,
                                            qsizetype count) const {
    if (count < 0 || first + 2 * count > p.words())
        throw BadMetafile("a point list runs past its record");
    if (count > kMaxPointsPerShape)
        throw BadMetafile("a shape has more points than allowed");
    std::vector<QPointF> result;
    result.reserve(std::size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        result.push_back(p.listPoint(first + 2 * i));
    return result;
}

void MetafilePlayer::polygon(const MetafileParams& p, bool closed) {
    const std::vector<QPointF> list = points(p, 1, p.s16(0));
    applyDrawingTools();
    if (closed)
        painter_.drawPolygon(list.data(), int(list.size()), dc_.fillRule);
    else
        painter_.drawPolyline(list.data(), int(list.size()));
}

void MetafilePlayer::polyPolygon(const MetafileParams& p) {
    const qsizetype polygons = p.u16(0);
    qsizetype next = 1 + polygons;
    qsizetype total = 0;
    QPainterPath path;
    path.setFillRule(dc_.fillRule);
    for (qsizetype i = 0; i < polygons; ++i) {
        const qsizetype count = p.u16(1 + i);
        total += count;
        if (total > kMaxPointsPerShape)
            throw BadMetafile("a shape has more points than allowed");
        const std::vector<QPointF> list = points(p, next, count);
        next += 2 * count;
        if (list.empty())
            continue;
        path.moveTo(list.front());
        for (std::size_t k = 1; k < list.size(); ++k)
            path.lineTo(list[k]);
        path.closeSubpath();
    }
    applyDrawingTools();
    painter_.drawPath(path);
}

void MetafilePlayer::arc(std::uint16_t function, const MetafileParams& p) {
    // End point, start point, then the bounding box (bottom, right, top, left).
    const QPointF end = p.point(0), start = p.point(2);
    const QRectF box = p.rectangle(4);
    if (box.isEmpty())
        return;
    // GDI turns counter-clockwise as seen on the page; a mapping that mirrors one axis turns the
    // logical direction round.
    const QTransform map = dc_.mapping.transform();
    const bool mirrored = map.m11() * map.m22() < 0;
    const double from = RayAngle(box, start), to = RayAngle(box, end);
    double sweep = mirrored ? from - to : to - from;
    if (sweep <= 0)
        sweep += 360;
    if (mirrored)
        sweep = -sweep;
    QPainterPath path;
    if (function == META_PIE)
        path.moveTo(box.center());
    else
        path.arcMoveTo(box, from);
    path.arcTo(box, from, sweep);
    applyDrawingTools();
    if (function == META_ARC) {
        painter_.strokePath(path, dc_.pen);
        return;
    }
    path.closeSubpath();
    painter_.drawPath(path);
}

void MetafilePlayer::setPixel(const MetafileParams& p) {
    // Colour, then y and x: one device pixel, here one logical unit.
    const QColor color = p.color(0);
    const QPointF at = p.point(2);
    painter_.fillRect(QRectF(at, QSizeF(1, 1)), color);
}

void MetafilePlayer::fillRegion(const QRegion& region, const QBrush& brush) {
    QPainterPath path;
    path.addRegion(region);
    painter_.fillPath(path, brush);
}

void MetafilePlayer::frameRegion(const MetafileParams& p) {
    // Region, brush, then the frame's height and width: the band of the region that a shift by
    // the frame's size in any of the four directions would leave.
    const QRegion& region = objects_.at(p.u16(0)).region;
    const QBrush& brush = objects_.at(p.u16(1)).brush;
    const int height = std::max<int>(1, p.s16(2)), width = std::max<int>(1, p.s16(3));
    const QRegion inner = region.translated(width, 0) & region.translated(-width, 0) &
                          region.translated(0, height) & region.translated(0, -height) & region;
    fillRegion(region.subtracted(inner), brush);
}

void MetafilePlayer::invertRegion(const QRegion& region) {
    QPainterPath path;
    path.addRegion(region);
    painter_.save();
    painter_.setCompositionMode(QPainter::CompositionMode_Difference);
    painter_.fillPath(path, Qt::white);
    painter_.restore();
}

} // namespace quillset
