#include "graphics/MetafilePlayer.h"

#include <unordered_map>

namespace quillset {

MetafilePlayer::MetafilePlayer(QPainter& painter, QRectF frame, double unitsPerInch,
                               qsizetype objectCount)
    : painter_(painter), frame_(frame), objects_(objectCount),
      dc_(MetafileMapping(frame, unitsPerInch)) {
    mapped();
}

// The records the player draws or keeps state for, each with its handler; every other record
// draws nothing we can show (escapes, raster operations, palettes...) and is skipped.
struct MetafilePlayer::Records {
    using Handler = void (*)(MetafilePlayer&, std::uint16_t function, const MetafileParams&);
    using Table = std::unordered_map<std::uint16_t, Handler>;

    static const Table& all() {
        static const Table table = [] {
            Table built;
            addState(built);
            addObjects(built);
            addShapes(built);
            addTextAndBitmaps(built);
            return built;
        }();
        return table;
    }

    static void addState(Table& table) {
        for (const std::uint16_t function :
             {META_SETMAPMODE, META_SETWINDOWORG, META_SETWINDOWEXT, META_SETVIEWPORTORG,
              META_SETVIEWPORTEXT, META_OFFSETWINDOWORG, META_OFFSETVIEWPORTORG,
              META_SCALEWINDOWEXT, META_SCALEVIEWPORTEXT})
            table[function] = [](MetafilePlayer& player, std::uint16_t record,
                                 const MetafileParams& p) { player.changeMapping(record, p); };
        table[META_SAVEDC] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams&) {
            player.save();
        };
        table[META_RESTOREDC] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.restore(p.s16(0));
        };
        table[META_SETBKMODE] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.dc_.opaque = p.u16(0) == 2;
        };
        table[META_SETBKCOLOR] = [](MetafilePlayer& player, std::uint16_t,
                                    const MetafileParams& p) { player.dc_.backColor = p.color(0); };
        table[META_SETTEXTCOLOR] = [](MetafilePlayer& player, std::uint16_t,
                                      const MetafileParams& p) {
            player.dc_.textColor = p.color(0);
        };
        table[META_SETTEXTALIGN] = [](MetafilePlayer& player, std::uint16_t,
                                      const MetafileParams& p) { player.dc_.textAlign = p.u16(0); };
        table[META_SETPOLYFILLMODE] = [](MetafilePlayer& player, std::uint16_t,
                                         const MetafileParams& p) {
            player.dc_.fillRule = p.u16(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        };
        table[META_MOVETO] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.dc_.position = p.point(0);
        };
        for (const std::uint16_t function : {META_INTERSECTCLIPRECT, META_EXCLUDECLIPRECT})
            table[function] = [](MetafilePlayer& player, std::uint16_t record,
                                 const MetafileParams& p) {
                player.clipTo(p.rectangle(0), record == META_EXCLUDECLIPRECT);
            };
        table[META_SELECTCLIPREGION] = [](MetafilePlayer& player, std::uint16_t,
                                          const MetafileParams& p) {
            player.selectClipRegion(p.u16(0));
        };
        table[META_OFFSETCLIPRGN] = [](MetafilePlayer& player, std::uint16_t,
                                       const MetafileParams& p) { player.offsetClip(p.point(0)); };
    }

    // A record that makes a GDI object keeps it in the object table.
    template <GdiObject (*Make)(const MetafileParams&)>
    static void store(MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
        player.objects_.store(Make(p));
    }

    static void addObjects(Table& table) {
        table[META_CREATEPENINDIRECT] = &store<PenFromRecord>;
        table[META_CREATEBRUSHINDIRECT] = &store<BrushFromRecord>;
        table[META_DIBCREATEPATTERNBRUSH] = &store<PatternBrushFromRecord>;
        table[META_CREATEFONTINDIRECT] = &store<FontFromRecord>;
        table[META_CREATEREGION] = &store<RegionFromRecord>;
        // Objects we do not draw with still take their slot, so later indexes stay right.
        for (const std::uint16_t function : {META_CREATEPALETTE, META_CREATEPATTERNBRUSH})
            table[function] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams&) {
                player.objects_.store(GdiObject{});
            };
        table[META_SELECTOBJECT] = [](MetafilePlayer& player, std::uint16_t,
                                      const MetafileParams& p) { player.select(p.u16(0)); };
        table[META_DELETEOBJECT] = [](MetafilePlayer& player, std::uint16_t,
                                      const MetafileParams& p) {
            player.objects_.remove(p.u16(0));
        };
    }

    static void addShapes(Table& table) {
        table[META_LINETO] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.lineTo(p.point(0));
        };
        table[META_RECTANGLE] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.applyDrawingTools();
            player.painter_.drawRect(p.rectangle(0));
        };
        table[META_ELLIPSE] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.applyDrawingTools();
            player.painter_.drawEllipse(p.rectangle(0));
        };
        table[META_ROUNDRECT] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.roundRect(p);
        };
        for (const std::uint16_t function : {META_ARC, META_PIE, META_CHORD})
            table[function] = [](MetafilePlayer& player, std::uint16_t record,
                                 const MetafileParams& p) { player.arc(record, p); };
        for (const std::uint16_t function : {META_POLYGON, META_POLYLINE})
            table[function] = [](MetafilePlayer& player, std::uint16_t record,
                                 const MetafileParams& p) {
                player.polygon(p, record == META_POLYGON);
            };
        table[META_POLYPOLYGON] = [](MetafilePlayer& player, std::uint16_t,
                                     const MetafileParams& p) { player.polyPolygon(p); };
        table[META_SETPIXEL] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.setPixel(p);
        };
        table[META_FILLREGION] = [](MetafilePlayer& player, std::uint16_t,
                                    const MetafileParams& p) {
            player.fillRegion(player.objects_.at(p.u16(0)).region,
                              player.objects_.at(p.u16(1)).brush);
        };
        table[META_PAINTREGION] = [](MetafilePlayer& player, std::uint16_t,
                                     const MetafileParams& p) {
            player.fillRegion(player.objects_.at(p.u16(0)).region, player.dc_.brush);
        };
        table[META_FRAMEREGION] = [](MetafilePlayer& player, std::uint16_t,
                                     const MetafileParams& p) { player.frameRegion(p); };
        table[META_INVERTREGION] = [](MetafilePlayer& player, std::uint16_t,
                                      const MetafileParams& p) {
            player.invertRegion(player.objects_.at(p.u16(0)).region);
        };
    }

    static void addTextAndBitmaps(Table& table) {
        table[META_TEXTOUT] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.textOut(p);
        };
        table[META_EXTTEXTOUT] = [](MetafilePlayer& player, std::uint16_t,
                                    const MetafileParams& p) { player.extTextOut(p); };
        table[META_PATBLT] = [](MetafilePlayer& player, std::uint16_t, const MetafileParams& p) {
            player.patBlt(p);
        };
        for (const std::uint16_t function :
             {META_BITBLT, META_STRETCHBLT, META_DIBBITBLT, META_DIBSTRETCHBLT, META_STRETCHDIB})
            table[function] = [](MetafilePlayer& player, std::uint16_t record,
                                 const MetafileParams& p) { player.blit(record, p); };
    }
};

void MetafilePlayer::play(std::uint16_t function, const MetafileParams& p) {
    const Records::Table& records = Records::all();
    if (const auto found = records.find(function); found != records.end())
        found->second(*this, function, p);
}

void MetafilePlayer::changeMapping(std::uint16_t function, const MetafileParams& p) {
    MetafileMapping& mapping = dc_.mapping;
    switch (function) {
    case META_SETMAPMODE:
        mapping.setMode(p.u16(0));
        break;
    case META_SETWINDOWORG:
        mapping.setWindowOrigin(p.point(0));
        break;
    case META_SETWINDOWEXT:
        mapping.setWindowExtent(QSizeF(p.s16(1), p.s16(0)));
        break;
    case META_SETVIEWPORTORG:
        mapping.setViewportOrigin(p.point(0));
        break;
    case META_SETVIEWPORTEXT:
        mapping.setViewportExtent(QSizeF(p.s16(1), p.s16(0)));
        break;
    case META_OFFSETWINDOWORG:
        mapping.offsetWindowOrigin(p.point(0));
        break;
    case META_OFFSETVIEWPORTORG:
        mapping.offsetViewportOrigin(p.point(0));
        break;
    case META_SCALEWINDOWEXT:
        mapping.scaleWindowExtent(p.s16(3), p.s16(2), p.s16(1), p.s16(0));
        break;
    case META_SCALEVIEWPORTEXT:
        mapping.scaleViewportExtent(p.s16(3), p.s16(2), p.s16(1), p.s16(0));
        break;
    }
    mapped();
}

void MetafilePlayer::lineTo(QPointF to) {
    applyDrawingTools();
    painter_.drawLine(dc_.position, to);
    dc_.position = to;
}

void MetafilePlayer::roundRect(const MetafileParams& p) {
    const double cornerHeight = std::abs(p.s16(0)), cornerWidth = std::abs(p.s16(1));
    applyDrawingTools();
    painter_.drawRoundedRect(p.rectangle(2), cornerWidth / 2, cornerHeight / 2);
}

void MetafilePlayer::offsetClip(QPointF by) {
    if (dc_.clip)
        dc_.clip->translate(dc_.mapping.transform().map(by) -
                            dc_.mapping.transform().map(QPointF(0, 0)));
    applyClip();
}

void MetafilePlayer::save() {
    if (qsizetype(saved_.size()) >= kMaxSavedStates)
        throw BadMetafile("the metafile saves more drawing states than allowed");
    saved_.push_back(dc_);
}

void MetafilePlayer::restore(std::int16_t which) {
    // Negative: that many states back; positive: the state saved by that numbered SaveDC.
    const qsizetype depth = qsizetype(saved_.size());
    const qsizetype keep = which < 0 ? depth + which : qsizetype(which) - 1;
    if (which == 0 || keep < 0 || keep >= depth)
        throw BadMetafile("RestoreDC names a state that was never saved");
    dc_ = saved_[std::size_t(keep)];
    saved_.erase(saved_.begin() + keep, saved_.end());
    applyClip();
    mapped();
}

void MetafilePlayer::select(std::uint16_t index) {
    const GdiObject& chosen = objects_.at(index);
    switch (chosen.kind) {
    case GdiObject::Kind::Pen:
        dc_.pen = chosen.pen;
        break;
    case GdiObject::Kind::Brush:
        dc_.brush = chosen.brush;
        break;
    case GdiObject::Kind::Font:
        dc_.font = chosen.font;
        break;
    case GdiObject::Kind::Region:
        selectClipRegion(index);
        break;
    case GdiObject::Kind::Other:
        break;
    }
}

void MetafilePlayer::mapped() {
    painter_.setTransform(dc_.mapping.transform());
}

void MetafilePlayer::applyClip() {
    // The clip is kept in frame units, so it is set with no logical mapping in between.
    const QTransform logical = painter_.transform();
    painter_.resetTransform();
    if (dc_.clip)
        painter_.setClipPath(*dc_.clip);
    else
        painter_.setClipping(false);
    painter_.setTransform(logical);
}

void MetafilePlayer::clipTo(const QRectF& logical, bool exclude) {
    QPainterPath area;
    area.addRect(logical);
    area = dc_.mapping.transform().map(area);
    if (exclude) {
        // Without a clip everything is drawable; far beyond the frame is as good as everything.
        QPainterPath everything;
        everything.addRect(frame_.adjusted(-frame_.width() * 4, -frame_.height() * 4,
                                           frame_.width() * 4, frame_.height() * 4));
        dc_.clip = (dc_.clip ? *dc_.clip : everything).subtracted(area);
    } else {
        dc_.clip = dc_.clip ? dc_.clip->intersected(area) : area;
    }
    applyClip();
}

void MetafilePlayer::selectClipRegion(std::uint16_t index) {
    // Writers select a region that is not there to mean "no clipping", as the API's null region.
    const GdiObject* object = objects_.find(index);
    if (object && object->kind == GdiObject::Kind::Region) {
        QPainterPath area;
        area.addRegion(object->region);
        dc_.clip = dc_.mapping.transform().map(area);
    } else {
        dc_.clip.reset();
    }
    applyClip();
}

void MetafilePlayer::applyDrawingTools() {
    painter_.setPen(dc_.pen);
    painter_.setBrush(dc_.brush);
    painter_.setBackgroundMode(dc_.opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.backColor);
}

} // namespace quillset
