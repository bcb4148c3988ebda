#pragma once

#include "graphics/Picture.h"
#include "print/SurfaceState.h"

#include <QFont>
#include <QFontMetricsF>
#include <optional>

class QPainter;
class QPaintDevice;

namespace quillset {

// The surface state and drawing shared by the printer page and the text canvas: both draw with a
// QPainter whose device units are a fixed fraction of a twip (1 on the 1440-dpi page, 1/15 on a
// 96-dpi canvas), so every position and width is converted exactly once, here.
class PainterSurface : public SurfaceState {
public:
    float TextWidth(const QString& text) const override;
    void PrintText(const QString& text) override;
    void DrawLine(float x1, float y1, float x2, float y2, OleColor color) override;
    void DrawPicture(const Picture& picture, float x, float y, std::int16_t width,
                     std::int16_t height) override;

    // Height of one text line in the current font, in twips: what PrintText moves CurrentY by.
    float lineHeight() const;

protected:
    explicit PainterSurface(double unitsPerTwip) : unitsPerTwip_(unitsPerTwip) {}

    // Draws with the surface's painter, in device units: on the page at once (starting the
    // document on first use; throws PrintFailure), on a canvas kept for its image.
    virtual void paint(PaintCall call) = 0;
    // The device whose resolution the fonts are measured at; usable before drawing starts.
    virtual QPaintDevice* metricsDevice() const = 0;
    // The current font as this device sizes it.
    virtual QFont deviceFont() const = 0;
    // Draws `text` with its baseline starting at `baseline`, in device units.
    virtual void paintText(const QFont& font, const QColor& color, QPointF baseline,
                           const QString& text);
    // The width of a default pen, in device units.
    virtual double defaultPenWidth() const = 0;
    // The height of one text line of `font`, in device units.
    virtual double deviceLineHeight(const QFont& font) const;

    double unitsPerTwip() const { return unitsPerTwip_; }

private:
    // The current font as the device measures it, made again only when a font member changes: a
    // paragraph sets its text a character at a time, in one font.
    struct MeasuredFont {
        QString name;
        float size;
        bool italic;
        QFont font;
        QFontMetricsF metrics;
        double lineHeight;
    };
    const MeasuredFont& measuredFont() const;

    double unitsPerTwip_;
    mutable std::optional<MeasuredFont> measured_;
};

} // namespace quillset
