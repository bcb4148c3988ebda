#include "print/PainterSurface.h"

#include "graphics/Picture.h"
#include "graphics/SystemColors.h"

#include <QFontMetricsF>
#include <QPainter>

namespace quillset {

const PainterSurface::MeasuredFont& PainterSurface::measuredFont() const {
    if (!measured_ || measured_->name != FontName() || measured_->size != FontSize() ||
        measured_->italic != FontItalic()) {
        QFont font = deviceFont();
        const QFontMetricsF metrics(font, metricsDevice());
        const double line = deviceLineHeight(font);
        measured_.emplace(
            MeasuredFont{FontName(), FontSize(), FontItalic(), std::move(font), metrics, line});
    }
    return *measured_;
}

float PainterSurface::TextWidth(const QString& text) const {
    return float(measuredFont().metrics.horizontalAdvance(text) / unitsPerTwip_);
}

double PainterSurface::deviceLineHeight(const QFont& font) const {
    return QFontMetricsF(font, metricsDevice()).height();
}

float PainterSurface::lineHeight() const {
    return float(measuredFont().lineHeight / unitsPerTwip_);
}

void PainterSurface::PrintText(const QString& text) {
    const MeasuredFont& measured = measuredFont();
    const QColor color = PaperColor(ForeColor());
    // CurrentX/CurrentY name the line box's top-left; Qt places text by its baseline.
    const QPointF baseline(CurrentX() * unitsPerTwip_,
                           CurrentY() * unitsPerTwip_ + measured.metrics.ascent());
    paintText(measured.font, color, baseline, text);
    SetCurrentY(float(CurrentY() + measured.lineHeight / unitsPerTwip_));
    SetCurrentX(0);
}

void PainterSurface::paintText(const QFont& font, const QColor& color, QPointF baseline,
                               const QString& text) {
    paint([font, color, baseline, text](QPainter& painter) {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(baseline, text);
    });
}

void PainterSurface::DrawLine(float x1, float y1, float x2, float y2, OleColor color) {
    QPen pen(PaperColor(color));
    pen.setWidthF(defaultPenWidth());
    const QLineF line(x1 * unitsPerTwip_, y1 * unitsPerTwip_, x2 * unitsPerTwip_,
                      y2 * unitsPerTwip_);
    paint([pen, line](QPainter& painter) {
        painter.setPen(pen);
        painter.drawLine(line);
    });
}

void PainterSurface::DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                                 std::int16_t height) {
    const QRectF target(x * unitsPerTwip_, y * unitsPerTwip_, width * unitsPerTwip_,
                        height * unitsPerTwip_);
    paint([picture, target](QPainter& painter) { picture.drawInto(painter, target); });
}

} // namespace quillset
