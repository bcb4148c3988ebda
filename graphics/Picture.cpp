#include "graphics/Picture.h"

#include <QPaintDevice>
#include <QPainter>

namespace quillset {

Picture::Picture(QImage bitmap) : content_(std::move(bitmap)) {}

Picture::Picture(QPicture drawing, QRectF bounds, QSize naturalSize)
    : content_(Vector{std::move(drawing), bounds, naturalSize}) {}

Picture::Picture(std::shared_ptr<const PaintCalls> calls, QRectF bounds, QSize naturalSize)
    : content_(Calls{std::move(calls), bounds, naturalSize}) {}

bool Picture::isNull() const {
    if (const auto* image = std::get_if<QImage>(&content_))
        return image->isNull();
    if (const auto* vector = std::get_if<Vector>(&content_))
        return vector->bounds.isEmpty();
    if (const auto* calls = std::get_if<Calls>(&content_))
        return calls->bounds.isEmpty();
    return true;
}

QSize Picture::naturalSize() const {
    if (const auto* image = std::get_if<QImage>(&content_))
        return image->size();
    if (const auto* vector = std::get_if<Vector>(&content_))
        return vector->naturalSize;
    if (const auto* calls = std::get_if<Calls>(&content_))
        return calls->naturalSize;
    return {};
}

void Picture::drawInto(QPainter& painter, const QRectF& target) const {
    if (const auto* image = std::get_if<QImage>(&content_)) {
        painter.drawImage(target, *image);
        return;
    }
    if (const auto* calls = std::get_if<Calls>(&content_)) {
        if (calls->bounds.isEmpty())
            return;
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(target.width() / calls->bounds.width(),
                      target.height() / calls->bounds.height());
        painter.translate(-calls->bounds.topLeft());
        for (const PaintCall& call : *calls->calls)
            call(painter);
        painter.restore();
        return;
    }
    const auto* vector = std::get_if<Vector>(&content_);
    if (!vector || vector->bounds.isEmpty())
        return;
    // QPainter::drawPicture scales by the ratio of the device's resolution to the picture's;
    // the scale added here maps the rest, so the bounds land exactly on the target.
    const QPaintDevice* device = painter.device();
    const qreal dpiX = qreal(device->logicalDpiX()) / vector->drawing.logicalDpiX();
    const qreal dpiY = qreal(device->logicalDpiY()) / vector->drawing.logicalDpiY();
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / (vector->bounds.width() * dpiX),
                  target.height() / (vector->bounds.height() * dpiY));
    painter.translate(-vector->bounds.left() * dpiX, -vector->bounds.top() * dpiY);
    painter.drawPicture(0, 0, vector->drawing);
    painter.restore();
}

} // namespace quillset
