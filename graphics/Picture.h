#pragma once

#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSize>
#include <functional>
#include <memory>
#include <variant>
#include <vector>

class QPainter;

namespace quillset {

// One call of vector drawing on a painter, in the drawing's own coordinates.
using PaintCall = std::function<void(QPainter&)>;
using PaintCalls = std::vector<PaintCall>;

// A picture as a picture box holds it: a bitmap, or vector drawing, so that it stays vector on the
// page: a placeable metafile's kept as a QPicture, a text canvas's as the calls that drew it,
// replayed on the page's own painter (a QPicture's round trip would cost the canvas's drawing
// three times over).
class Picture {
public:
    Picture() = default;
    explicit Picture(QImage bitmap);
    // `bounds` is the drawing's extent in the QPicture's own logical coordinates;
    // `naturalSize` its size on screen in pixels.
    Picture(QPicture drawing, QRectF bounds, QSize naturalSize);
    // The same for drawing kept as its calls, whose coordinates are those of `bounds`.
    Picture(std::shared_ptr<const PaintCalls> calls, QRectF bounds, QSize naturalSize);

    bool isNull() const;
    bool isVector() const { return !bitmap() && !std::holds_alternative<std::monostate>(content_); }
    // Size shown at natural size on a 96-dpi screen.
    QSize naturalSize() const;
    const QImage* bitmap() const { return std::get_if<QImage>(&content_); }

    // Draws the whole picture scaled into `target`, given in the painter's logical coordinates.
    void drawInto(QPainter& painter, const QRectF& target) const;

private:
    struct Vector {
        QPicture drawing;
        QRectF bounds;
        QSize naturalSize;
    };
    struct Calls {
        std::shared_ptr<const PaintCalls> calls;
        QRectF bounds;
        QSize naturalSize;
    };
    std::variant<std::monostate, QImage, Vector, Calls> content_;
};

} // namespace quillset
