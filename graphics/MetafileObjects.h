#pragma once

#include "graphics/MetafileRecord.h"

#include <QBrush>
#include <QPen>
#include <QRegion>
#include <QString>
#include <optional>
#include <queue>
#include <vector>

namespace quillset {

struct LogicalFont {
    QString face;
    int height = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

// One entry of the object table. Objects we keep no drawing for (palettes) still take a slot,
// so that later indices stay right.
struct GdiObject {
    enum class Kind { Pen, Brush, Font, Region, Other } kind = Kind::Other;
    QPen pen;
    QBrush brush;
    LogicalFont font;
    QRegion region; // in logical units
};

// The objects a record creates, decoded from its parameters.
GdiObject PenFromRecord(const MetafileParams& p);
GdiObject BrushFromRecord(const MetafileParams& p);
GdiObject PatternBrushFromRecord(const MetafileParams& p);
GdiObject FontFromRecord(const MetafileParams& p);
GdiObject RegionFromRecord(const MetafileParams& p);

// The object table as GDI keeps it: a new object takes the lowest free index, below the count
// the header declares.
class ObjectTable {
public:
    explicit ObjectTable(qsizetype declared) : declared_(declared) {}

    void store(GdiObject object);
    const GdiObject& at(std::uint16_t index) const;
    // Null when the index names no object.
    const GdiObject* find(std::uint16_t index) const;
    void remove(std::uint16_t index);

private:
    qsizetype declared_;
    std::vector<std::optional<GdiObject>> objects_;
    // Freed indices below objects_.size(), lowest first.
    std::priority_queue<qsizetype, std::vector<qsizetype>, std::greater<>> freed_;
};

} // namespace quillset
