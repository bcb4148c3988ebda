#include "print/TextCanvas.h"

#include "graphics/Fonts.h"
#include "graphics/Picture.h"
#include "graphics/SystemColors.h"
#include "platform/Twips.h"

#include <QFontMetrics>
#include <cmath>

namespace quillset {

TextCanvas::TextCanvas(std::int32_t widthTwips, std::int32_t heightTwips)
    : PainterSurface(1.0 / kTwipsPerPixel) {
    SetWidth(widthTwips);
    SetHeight(heightTwips);
}

TextCanvas::~TextCanvas() {
    if (painter_.isActive())
        painter_.end();
}

QPainter& TextCanvas::activePainter() {
    if (!painter_.isActive() && !painter_.begin(&drawing_))
        throw PrintFailure("the text canvas could not be drawn on");
    return painter_;
}

QPaintDevice* TextCanvas::metricsDevice() const {
    return &drawing_;
}

QFont TextCanvas::deviceFont() const {
    QFont font = MakeFont(FontName(), FontSize(), FontItalic());
    // 96 pixels an inch, 72 points an inch: 8.25 points are 11 pixels.
    font.setPixelSize(std::max(1, int(std::lround(FontSize() * 96.0 / 72.0))));
    return font;
}

double TextCanvas::deviceLineHeight(const QFont& font) const {
    return QFontMetrics(font, &drawing_).height();
}

Picture TextCanvas::image() {
    QPicture finished;
    if (painter_.isActive()) {
        painter_.end();
        finished = drawing_;
        // Start a new recording that holds the old one, so the drawing persists.
        drawing_ = QPicture();
        painter_.begin(&drawing_);
        painter_.drawPicture(0, 0, finished);
    } else {
        finished = drawing_;
    }
    const QSize pixels(int(std::lround(Width() / double(kTwipsPerPixel))),
                       int(std::lround(Height() / double(kTwipsPerPixel))));
    const QRectF frame(QPointF(0, 0), QSizeF(pixels));
    QPicture image;
    QPainter painter(&image);
    if (backColor_)
        painter.fillRect(frame, PaperColor(*backColor_));
    painter.drawPicture(0, 0, finished);
    painter.end();
    return Picture(image, frame, pixels);
}

} // namespace quillset
