#include "graphics/MetafileMapping.h"

#include "graphics/MetafileRecord.h"

#include <cmath>

namespace quillset {

MetafileMapping::MetafileMapping(QRectF frame, double unitsPerInch)
    : unitsPerInch_(unitsPerInch), windowOrigin_(frame.topLeft()), viewportOrigin_(frame.topLeft()),
      windowExtent_(frame.size()), viewportExtent_(frame.size()) {}

void MetafileMapping::setMode(int mode) {
    // An unknown mode leaves the mapping as it was, as GDI does.
    if (mode >= Text && mode <= Anisotropic)
        mode_ = mode;
}

void MetafileMapping::setWindowExtent(QSizeF extent) {
    if (extent.width() == 0 || extent.height() == 0)
        throw BadMetafile("a window extent is zero");
    windowExtent_ = extent;
}

void MetafileMapping::setViewportExtent(QSizeF extent) {
    if (extent.width() == 0 || extent.height() == 0)
        throw BadMetafile("a viewport extent is zero");
    viewportExtent_ = extent;
}

QSizeF MetafileMapping::scaled(QSizeF extent, double xNum, double xDenom, double yNum,
                               double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        throw BadMetafile("an extent is scaled by a fraction with a zero denominator");
    return QSizeF(std::trunc(extent.width() * xNum / xDenom),
                  std::trunc(extent.height() * yNum / yDenom));
}

void MetafileMapping::scaleWindowExtent(double xNum, double xDenom, double yNum, double yDenom) {
    setWindowExtent(scaled(windowExtent_, xNum, xDenom, yNum, yDenom));
}

void MetafileMapping::scaleViewportExtent(double xNum, double xDenom, double yNum, double yDenom) {
    setViewportExtent(scaled(viewportExtent_, xNum, xDenom, yNum, yDenom));
}

QTransform MetafileMapping::transform() const {
    double sx, sy;
    switch (mode_) {
    case Isotropic: {
        // Both axes take the smaller scale, each keeping its own direction.
        sx = viewportExtent_.width() / windowExtent_.width();
        sy = viewportExtent_.height() / windowExtent_.height();
        const double both = std::min(std::abs(sx), std::abs(sy));
        sx = std::copysign(both, sx);
        sy = std::copysign(both, sy);
        break;
    }
    case Anisotropic:
        sx = viewportExtent_.width() / windowExtent_.width();
        sy = viewportExtent_.height() / windowExtent_.height();
        break;
    case Text:
        sx = sy = 1;
        break;
    default: {
        // The fixed modes measure in physical units with y upwards.
        static constexpr double kPerInch[] = {254, 2540, 100, 1000, 1440};
        sx = unitsPerInch_ / kPerInch[mode_ - LoMetric];
        sy = -sx;
    }
    }
    QTransform transform;
    transform.translate(viewportOrigin_.x(), viewportOrigin_.y());
    transform.scale(sx, sy);
    transform.translate(-windowOrigin_.x(), -windowOrigin_.y());
    return transform;
}

} // namespace quillset
