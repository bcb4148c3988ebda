#include "print/TextCanvas.h"

#include "graphics/Fonts.h"
#include "graphics/SystemColors.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace quillset {

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

Picture TextCanvas::image() const {
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
