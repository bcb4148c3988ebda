#include "print/PainterSurface.h"

#include "graphics/Picture.h"
#include "graphics/SystemColors.h"

#include <QFontMetricsF>
#include <QPainter>

namespace quillset {

float PainterSurface::TextWidth(const QString& text) const {
    const QFontMetricsF metrics(deviceFont(), metricsDevice());
    return float(metrics.horizontalAdvance(text) / unitsPerTwip_);
}

double PainterSurface::deviceLineHeight(const QFont& font) const {
    return QFontMetricsF(font, metricsDevice()).height();
}

float PainterSurface::lineHeight() const {
    return float(deviceLineHeight(deviceFont()) / unitsPerTwip_);
}

void PainterSurface::PrintText(const QString& text) {
    QPainter& painter = activePainter();
    const QFont font = deviceFont();
    painter.setFont(font);
    painter.setPen(PaperColor(ForeColor()));
    // CurrentX/CurrentY name the line box's top-left; Qt places text by its baseline.
    const QFontMetricsF metrics(font, painter.device());
    const QPointF baseline(CurrentX() * unitsPerTwip_,
                           CurrentY() * unitsPerTwip_ + metrics.ascent());
    painter.drawText(baseline, text);
    SetCurrentY(float(CurrentY() + deviceLineHeight(font) / unitsPerTwip_));
    SetCurrentX(0);
}

void PainterSurface::DrawLine(float x1, float y1, float x2, float y2, OleColor color) {
    QPainter& painter = activePainter();
    QPen pen(PaperColor(color));
    pen.setWidthF(defaultPenWidth());
    painter.setPen(pen);
    painter.drawLine(QPointF(x1 * unitsPerTwip_, y1 * unitsPerTwip_),
                     QPointF(x2 * unitsPerTwip_, y2 * unitsPerTwip_));
}

void PainterSurface::DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                                 std::int16_t height) {
    QPainter& painter = activePainter();
    picture.drawInto(painter, QRectF(x * unitsPerTwip_, y * unitsPerTwip_, width * unitsPerTwip_,
                                     height * unitsPerTwip_));
}

} // namespace quillset
