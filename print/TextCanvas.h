#pragma once

#include "graphics/Picture.h"
#include "print/PainterSurface.h"

#include <QPicture>
#include <memory>
#include <optional>

namespace quillset {

// An off-screen text canvas: a PrintSurface of a given size in twips whose drawing is kept as
// vector drawing, so text set on it stays real text when its image is placed on the page. The
// drawing is measured at the screen's 96 dpi (15 twips a pixel) with fonts sized in pixels and
// kept as the painter calls that make it; its image replays them on the page's painter, scaled
// from the canvas's pixels to the rectangle it fills, so the text keeps its size.
class TextCanvas : public PainterSurface {
public:
    TextCanvas(std::int32_t widthTwips, std::int32_t heightTwips);

    // The colour the canvas's image is filled with beneath its drawing; without one the drawing
    // stands on whatever the image is placed over.
    void setBackColor(OleColor color) { backColor_ = color; }

    // The drawing so far on the background, as a picture of the canvas's size; drawing can go on
    // afterwards.
    Picture image();

    // A canvas is not a document: these do nothing.
    void applyDeviceSetting(int) override {}
    void setPrintQuality(int) override {}
    void EndDocument() override {}
    void AbortDocument() override {}

protected:
    void paint(PaintCall call) override;
    // Characters set one at a time along a line, as the paragraph printer sets them, are kept as
    // one run of glyphs at their own places: the page's painter then lays out one text item for
    // the line instead of one for each character.
    void paintText(const QFont& font, const QColor& color, QPointF baseline,
                   const QString& text) override;
    QPaintDevice* metricsDevice() const override;
    QFont deviceFont() const override;
    double defaultPenWidth() const override { return 1.0; }
    // A screen measures text lines in whole pixels.
    double deviceLineHeight(const QFont& font) const override;

private:
    // Never drawn on: the screen-resolution device fonts are measured at.
    mutable QPicture screen_;
    PaintCalls calls_;
    // The run of glyphs still growing; none once other drawing comes or an image is taken.
    std::shared_ptr<struct GlyphLine> line_;
    std::optional<OleColor> backColor_;
};

} // namespace quillset
