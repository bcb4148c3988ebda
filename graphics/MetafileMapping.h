#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

namespace quillset {

// How logical coordinates reach the picture frame: the mapping mode with the window and viewport
// of the drawing state. Device units are the units of the placeable header's frame, so a fixed
// mode such as twips is scaled by the header's units per inch.
class MetafileMapping {
public:
    enum Mode { Text = 1, LoMetric, HiMetric, LoEnglish, HiEnglish, Twips, Isotropic, Anisotropic };

    // Until the records say otherwise the window and the viewport are both the frame.
    MetafileMapping(QRectF frame, double unitsPerInch);

    void setMode(int mode);
    void setWindowOrigin(QPointF origin) { windowOrigin_ = origin; }
    void setViewportOrigin(QPointF origin) { viewportOrigin_ = origin; }
    void setWindowExtent(QSizeF extent);
    void setViewportExtent(QSizeF extent);
    void offsetWindowOrigin(QPointF by) { windowOrigin_ += by; }
    void offsetViewportOrigin(QPointF by) { viewportOrigin_ += by; }
    void scaleWindowExtent(double xNum, double xDenom, double yNum, double yDenom);
    void scaleViewportExtent(double xNum, double xDenom, double yNum, double yDenom);

    QTransform transform() const;

private:
    static QSizeF scaled(QSizeF extent, double xNum, double xDenom, double yNum, double yDenom);

    double unitsPerInch_;
    int mode_ = Anisotropic;
    QPointF windowOrigin_, viewportOrigin_;
    QSizeF windowExtent_, viewportExtent_;
};

} // namespace quillset
