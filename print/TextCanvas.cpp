#include "print/TextCanvas.h"

#include "graphics/Fonts.h"
#include "graphics/SystemColors.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <cmath>

namespace quillset {

// Characters in one font and colour on one baseline, each at its own place.
struct GlyphLine {
    QFont face;
    QRawFont font;
    QColor color;
    qreal baseline;
    QString text;
    QList<QPointF> positions;
};

namespace {

void DrawGlyphLine(QPainter& painter, const GlyphLine& line) {
    QGlyphRun run;
    run.setRawFont(line.font);
    run.setGlyphIndexes(line.font.glyphIndexesForString(line.text));
    run.setPositions(line.positions);
    painter.setPen(line.color);
    painter.drawGlyphRun(QPointF(0, 0), run);
}

} // namespace

TextCanvas::TextCanvas(std::int32_t widthTwips, std::int32_t heightTwips)
    : PainterSurface(1.0 / kTwipsPerPixel) {
    SetWidth(widthTwips);
    SetHeight(heightTwips);
}

QPaintDevice* TextCanvas::metricsDevice() const {
    return &screen_;
}

QFont TextCanvas::deviceFont() const {
    QFont font = MakeFont(FontName(), FontSize(), FontItalic());
    // 96 pixels an inch, 72 points an inch: 8.25 points are 11 pixels.
    font.setPixelSize(std::max(1, int(std::lround(FontSize() * 96.0 / 72.0))));
    return font;
}

double TextCanvas::deviceLineHeight(const QFont& font) const {
    return QFontMetrics(font, &screen_).height();
}

void TextCanvas::paint(PaintCall call) {
    line_.reset();
    calls_.push_back(std::move(call));
}

void TextCanvas::paintText(const QFont& font, const QColor& color, QPointF baseline,
                           const QString& text) {
    const bool sameLine =
        line_ && line_->color == color && line_->baseline == baseline.y() && line_->face == font;
    const QRawFont raw = sameLine ? line_->font : QRawFont::fromFont(font);
    // A character the face lacks is drawn as text, so that Qt finds it in another face.
    if (text.size() != 1 || !raw.supportsCharacter(text.front())) {
        PainterSurface::paintText(font, color, baseline, text);
        return;
    }
    if (!sameLine) {
        line_ = std::make_shared<GlyphLine>(GlyphLine{font, raw, color, baseline.y(), {}, {}});
        calls_.push_back([line = line_](QPainter& painter) { DrawGlyphLine(painter, *line); });
    }
    line_->text += text;
    line_->positions.push_back(baseline);
}

Picture TextCanvas::image() {
    // What comes after the image is drawn anew, never into a line the image holds.
    line_.reset();
    const QSize pixels(int(std::lround(Width() / double(kTwipsPerPixel))),
                       int(std::lround(Height() / double(kTwipsPerPixel))));
    const QRectF frame(QPointF(0, 0), QSizeF(pixels));
    auto drawing = std::make_shared<PaintCalls>();
    drawing->reserve(calls_.size() + 1);
    if (backColor_) {
        const QColor back = PaperColor(*backColor_);
        drawing->push_back([frame, back](QPainter& painter) { painter.fillRect(frame, back); });
    }
    drawing->insert(drawing->end(), calls_.begin(), calls_.end());
    return Picture(std::move(drawing), frame, pixels);
}

} // namespace quillset
