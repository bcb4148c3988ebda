#pragma once

#include "graphics/MetafileMapping.h"
#include "graphics/MetafileObjects.h"
#include "graphics/MetafileRecord.h"

#include <QPainter>
#include <QPainterPath>
#include <optional>
#include <vector>

namespace quillset {

// The drawing state that SaveDC keeps and RestoreDC brings back.
struct DeviceContext {
    explicit DeviceContext(MetafileMapping startMapping) : mapping(startMapping) {}

    QPen pen{QColor(Qt::black), 0};
    QBrush brush{Qt::white};
    LogicalFont font;
    QColor textColor{Qt::black};
    QColor backColor{Qt::white};
    bool opaque = true;
    int textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF position;
    MetafileMapping mapping;
    std::optional<QPainterPath> clip; // in frame units; none means no clipping
};

// Replays the records of one metafile on a painter whose coordinates are the picture frame's.
class MetafilePlayer {
public:
    MetafilePlayer(QPainter& painter, QRectF frame, double unitsPerInch, qsizetype objectCount);

    void play(std::uint16_t function, const MetafileParams& p);

private:
    struct Records; // the handler of each record kind

    // Drawing state (MetafilePlayer.cpp).
    // A mapping record: changes the mapping and applies it to the painter at once.
    void changeMapping(std::uint16_t function, const MetafileParams& p);
    void save();
    void restore(std::int16_t which);
    void select(std::uint16_t index);
    void mapped();
    void applyClip();
    void clipTo(const QRectF& logical, bool exclude);
    void selectClipRegion(std::uint16_t index);
    void offsetClip(QPointF by);
    void applyDrawingTools();

    // Lines, shapes and regions (MetafileShapes.cpp, the first two in MetafilePlayer.cpp).
    void lineTo(QPointF to);
    void roundRect(const MetafileParams& p);
    std::vector<QPointF> points(const MetafileParams& p, qsizetype first, qsizetype count) const;
    void polygon(const MetafileParams& p, bool closed);
    void polyPolygon(const MetafileParams& p);
    void arc(std::uint16_t function, const MetafileParams& p);
    void setPixel(const MetafileParams& p);
    void fillRegion(const QRegion& region, const QBrush& brush);
    void frameRegion(const MetafileParams& p);
    void invertRegion(const QRegion& region);

    // Text (MetafileText.cpp).
    void textOut(const MetafileParams& p);
    void extTextOut(const MetafileParams& p);
    void drawText(QPointF at, const QString& text, const std::vector<double>& advances);

    // Bitmaps and pattern fills (MetafileBlits.cpp).
    void patBlt(const MetafileParams& p);
    void blit(std::uint16_t function, const MetafileParams& p);
    void fillByRasterOperation(const QRectF& target, std::uint32_t operation);
    void drawBitmap(const QImage& image, QRectF source, const QRectF& target,
                    std::uint32_t operation);

    QPainter& painter_;
    QRectF frame_;
    ObjectTable objects_;
    DeviceContext dc_;
    std::vector<DeviceContext> saved_;
    qint64 bitmapBytes_ = 0;
};

} // namespace quillset
