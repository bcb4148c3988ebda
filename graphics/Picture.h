#pragma once

#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSize>
#include <variant>

class QPainter;

namespace quillset {

// A picture as a picture box holds it: a bitmap, or vector drawing (from a placeable metafile or
// a text canvas) kept as a QPicture so that it stays vector on the page.
class Picture {
public:
    Picture() = default;
    explicit Picture(QImage bitmap);
    // `bounds` is the drawing's extent in the QPicture's own logical coordinates;
    // `naturalSize` its size on screen in pixels.
    Picture(QPicture drawing, QRectF bounds, QSize naturalSize);

    bool isNull() const;
    bool isVector() const { return std::holds_alternative<Vector>(content_); }
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
    std::variant<std::monostate, QImage, Vector> content_;
};

} // namespace quillset
