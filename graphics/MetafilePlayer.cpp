#include "graphics/MetafilePlayer.h"

namespace quillset {

MetafilePlayer::MetafilePlayer(QPainter& painter, QRectF frame, double unitsPerInch,
                               qsizetype objectCount)
    : painter_(painter), frame_(frame), objects_(objectCount),
      dc_(MetafileMapping(frame, unitsPerInch)) {
    mapped();
}

void MetafilePlayer::play(std::uint16_t function, const MetafileParams& p) {
    MetafileMapping& mapping = dc_.mapping;
    switch (function) {
    case META_SAVEDC:
        save();
        return;
    case META_RESTOREDC:
        restore(p.s16(0));
        return;
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
    case META_SETBKMODE:
        dc_.opaque = p.u16(0) == 2;
        return;
    case META_SETBKCOLOR:
        dc_.backColor = p.color(0);
        return;
    case META_SETTEXTCOLOR:
        dc_.textColor = p.color(0);
        return;
    case META_SETTEXTALIGN:
        dc_.textAlign = p.u16(0);
        return;
    case META_SETPOLYFILLMODE:
        dc_.fillRule = p.u16(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        return;
    case META_CREATEPENINDIRECT:
        objects_.store(PenFromRecord(p));
        return;
    case META_CREATEBRUSHINDIRECT:
        objects_.store(BrushFromRecord(p));
        return;
    case META_DIBCREATEPATTERNBRUSH:
        objects_.store(PatternBrushFromRecord(p));
        return;
    case META_CREATEFONTINDIRECT:
        objects_.store(FontFromRecord(p));
        return;
    case META_CREATEREGION:
        objects_.store(RegionFromRecord(p));
        return;
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
        objects_.store(GdiObject{});
        return;
    case META_SELECTOBJECT:
        select(p.u16(0));
        return;
    case META_DELETEOBJECT:
        objects_.remove(p.u16(0));
        return;
    case META_INTERSECTCLIPRECT:
    case META_EXCLUDECLIPRECT:
        clipTo(p.rectangle(0), function == META_EXCLUDECLIPRECT);
        return;
    case META_SELECTCLIPREGION:
        selectClipRegion(p.u16(0));
        return;
    case META_OFFSETCLIPRGN:
        if (dc_.clip)
            dc_.clip->translate(dc_.mapping.transform().map(p.point(0)) -
                                dc_.mapping.transform().map(QPointF(0, 0)));
        applyClip();
        return;
    case META_MOVETO:
        dc_.position = p.point(0);
        return;
    case META_LINETO: {
        const QPointF to = p.point(0);
        applyDrawingTools();
        painter_.drawLine(dc_.position, to);
        dc_.position = to;
        return;
    }
    case META_RECTANGLE:
        applyDrawingTools();
        painter_.drawRect(p.rectangle(0));
        return;
    case META_ELLIPSE:
        applyDrawingTools();
        painter_.drawEllipse(p.rectangle(0));
        return;
    case META_ROUNDRECT: {
        const double cornerHeight = std::abs(p.s16(0)), cornerWidth = std::abs(p.s16(1));
        applyDrawingTools();
        painter_.drawRoundedRect(p.rectangle(2), cornerWidth / 2, cornerHeight / 2);
        return;
    }
    case META_ARC:
    case META_PIE:
    case META_CHORD:
        arc(function, p);
        return;
    case META_POLYGON:
    case META_POLYLINE:
        polygon(p, function == META_POLYGON);
        return;
    case META_POLYPOLYGON:
        polyPolygon(p);
        return;
    case META_SETPIXEL:
        setPixel(p);
        return;
    case META_FILLREGION:
        fillRegion(objects_.at(p.u16(0)).region, objects_.at(p.u16(1)).brush);
        return;
    case META_PAINTREGION:
        fillRegion(objects_.at(p.u16(0)).region, dc_.brush);
        return;
    case META_FRAMEREGION:
        frameRegion(p);
        return;
    case META_INVERTREGION:
        invertRegion(objects_.at(p.u16(0)).region);
        return;
    case META_TEXTOUT:
        textOut(p);
        return;
    case META_EXTTEXTOUT:
        extTextOut(p);
        return;
    case META_PATBLT:
        patBlt(p);
        return;
    case META_BITBLT:
    case META_STRETCHBLT:
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
        blit(function, p);
        return;
    default:
        // Records that draw nothing we can show (escapes, raster operations, palettes...).
        return;
    }
    mapped();
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
