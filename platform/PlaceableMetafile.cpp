#include "PlaceableMetafile.h"

#include "CodePage.h"

#include <QPainter>
#include <QPainterPath>
#include <QPicture>
#include <QtEndian>
#include <cmath>
#include <stdexcept>
#include <vector>

namespace quillset {

namespace {

constexpr qsizetype kPlaceableHeaderBytes = 22;
constexpr qsizetype kMetaHeaderBytes = 18;
constexpr qsizetype kRecordHeaderWords = 3;

// Record functions (the low byte names the record, the high byte its parameter word count in
// the simplest records).
enum Function : std::uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SETTEXTALIGN = 0x012E,
    META_SELECTOBJECT = 0x012D,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_ELLIPSE = 0x0418,
    META_RECTANGLE = 0x041B,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_ROUNDRECT = 0x061C,
    META_CREATEREGION = 0x06FF,
    META_EXTTEXTOUT = 0x0A32,
};

struct BadMetafile : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The parameter words of one record; every read is checked against the record's own size.
class Params {
public:
    Params(const uchar* data, qsizetype words) : data_(data), words_(words) {}

    qsizetype words() const { return words_; }
    std::uint16_t u16(qsizetype index) const {
        require(index, 1);
        return qFromLittleEndian<std::uint16_t>(data_ + 2 * index);
    }
    std::int16_t s16(qsizetype index) const { return std::int16_t(u16(index)); }
    QColor color(qsizetype index) const {
        require(index, 2);
        const uchar* bytes = data_ + 2 * index;
        return QColor(bytes[0], bytes[1], bytes[2]);
    }
    const uchar* bytes(qsizetype index, qsizetype count) const {
        require(index, (count + 1) / 2);
        return data_ + 2 * index;
    }
    QPointF point(qsizetype index) const { return QPointF(s16(index), s16(index + 1)); }
    // A rectangle stored bottom, right, top, left (the order of the drawing records).
    QRectF rectangle(qsizetype index) const {
        const double bottom = s16(index), right = s16(index + 1);
        const double top = s16(index + 2), left = s16(index + 3);
        return QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    }

private:
    void require(qsizetype index, qsizetype count) const {
        if (index < 0 || count < 0 || index + count > words_)
            throw BadMetafile("a record is shorter than its contents");
    }

    const uchar* data_;
    qsizetype words_;
};

struct FontSpec {
    QString face;
    int height = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};
// One entry of the object table. Objects we keep no drawing for (palettes, regions, pattern
// brushes) still take a slot, so that later indices stay right.
struct GdiObject {
    enum class Kind { Pen, Brush, Font, Other } kind = Kind::Other;
    QPen pen;
    QBrush brush;
    FontSpec font;
};

GdiObject penObject(QPen pen) {
    GdiObject object;
    object.kind = GdiObject::Kind::Pen;
    object.pen = std::move(pen);
    return object;
}

GdiObject brushObject(QBrush brush) {
    GdiObject object;
    object.kind = GdiObject::Kind::Brush;
    object.brush = std::move(brush);
    return object;
}

GdiObject fontObject(FontSpec font) {
    GdiObject object;
    object.kind = GdiObject::Kind::Font;
    object.font = std::move(font);
    return object;
}

struct DeviceContext {
    QPen pen{QColor(Qt::black), 0};
    QBrush brush{Qt::white};
    FontSpec font;
    QColor textColor{Qt::black};
    QColor backColor{Qt::white};
    bool opaque = true;
    int textAlign = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF position;
    QPointF windowOrigin;
    QSizeF windowExtent;
};

Qt::PenStyle penStyle(std::uint16_t style) {
    switch (style & 0x0F) {
    case 1:
        return Qt::DashLine;
    case 2:
        return Qt::DotLine;
    case 3:
        return Qt::DashDotLine;
    case 4:
        return Qt::DashDotDotLine;
    case 5:
        return Qt::NoPen;
    default:
        return Qt::SolidLine;
    }
}

QBrush makeBrush(std::uint16_t style, const QColor& color, std::uint16_t hatch) {
    switch (style) {
    case 0:
        return QBrush(color);
    case 2: {
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(color, hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
    }
    default: // the null brush; pattern brushes draw as no fill
        return QBrush(Qt::NoBrush);
    }
}

class Player {
public:
    Player(QPainter& painter, QRectF bounds, qsizetype objectCount)
        : painter_(painter), bounds_(bounds), objects_(std::size_t(objectCount)) {
        dc_.windowOrigin = bounds.topLeft();
        dc_.windowExtent = bounds.size();
        applyWindow();
    }

    void play(std::uint16_t function, const Params& p);

private:
    void applyWindow() {
        const QSizeF ext = dc_.windowExtent;
        QTransform transform;
        transform.translate(bounds_.left(), bounds_.top());
        transform.scale(bounds_.width() / ext.width(), bounds_.height() / ext.height());
        transform.translate(-dc_.windowOrigin.x(), -dc_.windowOrigin.y());
        painter_.setTransform(transform);
    }
    void applyDrawingTools() {
        painter_.setPen(dc_.pen);
        painter_.setBrush(dc_.brush);
        painter_.setBackgroundMode(dc_.opaque ? Qt::OpaqueMode : Qt::TransparentMode);
        painter_.setBackground(dc_.backColor);
    }
    void store(GdiObject object) {
        for (auto& slot : objects_) {
            if (!slot) {
                slot = std::move(object);
                return;
            }
        }
        throw BadMetafile("more objects than the header declares");
    }
    std::optional<GdiObject>& object(std::uint16_t index) {
        if (index >= objects_.size() || !objects_[index])
            throw BadMetafile("a record names an object that does not exist");
        return objects_[index];
    }
    void select(std::uint16_t index) {
        const GdiObject& chosen = *object(index);
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
        case GdiObject::Kind::Other:
            break;
        }
    }
    void restore(std::int16_t which) {
        // Negative: that many states back; positive: the state saved by that numbered SaveDC.
        const qsizetype depth = qsizetype(saved_.size());
        const qsizetype keep = which < 0 ? depth + which : qsizetype(which) - 1;
        if (which == 0 || keep < 0 || keep >= depth)
            throw BadMetafile("RestoreDC names a state that was never saved");
        dc_ = saved_[std::size_t(keep)];
        saved_.resize(std::size_t(keep));
        applyWindow();
    }
    void setWindow(QPointF* origin, QSizeF* extent) {
        if (extent && (extent->width() == 0 || extent->height() == 0))
            throw BadMetafile("a window extent is zero");
        if (origin)
            dc_.windowOrigin = *origin;
        if (extent)
            dc_.windowExtent = *extent;
        applyWindow();
    }
    std::vector<QPointF> points(const Params& p, qsizetype first, qsizetype count) const {
        if (count < 0 || first + 2 * count > p.words())
            throw BadMetafile("a point list runs past its record");
        std::vector<QPointF> result;
        result.reserve(std::size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            result.push_back(p.point(first + 2 * i));
        return result;
    }
    void drawText(QPointF at, const QString& text);

    QPainter& painter_;
    QRectF bounds_;
    std::vector<std::optional<GdiObject>> objects_;
    DeviceContext dc_;
    std::vector<DeviceContext> saved_;
};

void Player::drawText(QPointF at, const QString& text) {
    QFont font(dc_.font.face.isEmpty() ? QStringLiteral("Arial") : dc_.font.face);
    font.setPixelSize(std::max(1, std::abs(dc_.font.height)));
    font.setWeight(QFont::Weight(std::clamp(dc_.font.weight, 100, 900)));
    font.setItalic(dc_.font.italic);
    font.setUnderline(dc_.font.underline);
    font.setStrikeOut(dc_.font.strikeOut);
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    double dx = 0, dy = 0;
    switch (dc_.textAlign & 6) {
    case 2:
        dx = -width;
        break;
    case 6:
        dx = -width / 2;
        break;
    }
    switch (dc_.textAlign & 24) {
    case 0:
        dy = metrics.ascent();
        break;
    case 8:
        dy = -metrics.descent();
        break;
    }
    painter_.save();
    painter_.setFont(font);
    painter_.setPen(dc_.textColor);
    painter_.setBackgroundMode(dc_.opaque ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(dc_.backColor);
    painter_.translate(at);
    if (dc_.font.escapement != 0)
        painter_.rotate(-dc_.font.escapement / 10.0);
    painter_.drawText(QPointF(dx, dy), text);
    painter_.restore();
    if (dc_.textAlign & 1)
        dc_.position = at + QPointF(width, 0);
}

void Player::play(std::uint16_t function, const Params& p) {
    switch (function) {
    case META_SAVEDC:
        saved_.push_back(dc_);
        return;
    case META_RESTOREDC:
        restore(p.s16(0));
        return;
    case META_SETWINDOWORG: {
        QPointF origin(p.s16(1), p.s16(0));
        setWindow(&origin, nullptr);
        return;
    }
    case META_SETWINDOWEXT: {
        QSizeF extent(p.s16(1), p.s16(0));
        setWindow(nullptr, &extent);
        return;
    }
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
    case META_CREATEPENINDIRECT: {
        QPen pen(p.color(3), std::abs(p.s16(1)));
        pen.setStyle(penStyle(p.u16(0)));
        store(penObject(pen));
        return;
    }
    case META_CREATEBRUSHINDIRECT:
        store(brushObject(makeBrush(p.u16(0), p.color(1), p.u16(3))));
        return;
    case META_CREATEFONTINDIRECT: {
        FontSpec font;
        font.height = p.s16(0);
        font.escapement = p.s16(2);
        font.weight = p.s16(4);
        const uchar* flags = p.bytes(5, 8);
        font.italic = flags[0] != 0;
        font.underline = flags[1] != 0;
        font.strikeOut = flags[2] != 0;
        const qsizetype faceBytes = std::min<qsizetype>(32, 2 * (p.words() - 9));
        if (faceBytes > 0) {
            const char* face = reinterpret_cast<const char*>(p.bytes(9, faceBytes));
            qsizetype length = 0;
            while (length < faceBytes && face[length] != 0)
                ++length;
            font.face = ansiToString(face, length);
        }
        store(fontObject(font));
        return;
    }
    case META_CREATEPALETTE:
    case META_CREATEPATTERNBRUSH:
    case META_DIBCREATEPATTERNBRUSH:
    case META_CREATEREGION:
        store(GdiObject{});
        return;
    case META_SELECTOBJECT:
        select(p.u16(0));
        return;
    case META_DELETEOBJECT:
        object(p.u16(0)).reset();
        return;
    case META_MOVETO:
        dc_.position = QPointF(p.s16(1), p.s16(0));
        return;
    case META_LINETO: {
        const QPointF to(p.s16(1), p.s16(0));
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
    case META_POLYGON:
    case META_POLYLINE: {
        const std::vector<QPointF> list = points(p, 1, p.s16(0));
        applyDrawingTools();
        if (function == META_POLYGON)
            painter_.drawPolygon(list.data(), int(list.size()), dc_.fillRule);
        else
            painter_.drawPolyline(list.data(), int(list.size()));
        return;
    }
    case META_POLYPOLYGON: {
        const qsizetype polygons = p.u16(0);
        qsizetype next = 1 + polygons;
        QPainterPath path;
        path.setFillRule(dc_.fillRule);
        for (qsizetype i = 0; i < polygons; ++i) {
            const qsizetype count = p.u16(1 + i);
            const std::vector<QPointF> list = points(p, next, count);
            next += 2 * count;
            if (list.empty())
                continue;
            path.moveTo(list.front());
            for (std::size_t k = 1; k < list.size(); ++k)
                path.lineTo(list[k]);
            path.closeSubpath();
        }
        applyDrawingTools();
        painter_.drawPath(path);
        return;
    }
    case META_TEXTOUT: {
        const qsizetype length = p.s16(0);
        if (length < 0)
            throw BadMetafile("a text has a negative length");
        const qsizetype after = 1 + (length + 1) / 2;
        const auto* text = reinterpret_cast<const char*>(p.bytes(1, length));
        drawText(QPointF(p.s16(after + 1), p.s16(after)), ansiToString(text, length));
        return;
    }
    case META_EXTTEXTOUT: {
        const QPointF at(p.s16(1), p.s16(0));
        const qsizetype length = p.s16(2);
        if (length < 0)
            throw BadMetafile("a text has a negative length");
        const std::uint16_t options = p.u16(3);
        // ETO_OPAQUE and ETO_CLIPPED carry a rectangle before the text.
        const qsizetype textAt = (options & 0x0006) ? 8 : 4;
        const auto* text = reinterpret_cast<const char*>(p.bytes(textAt, length));
        drawText(at, ansiToString(text, length));
        return;
    }
    default:
        // Records that change nothing we draw (mapping mode, raster operations, escapes...).
        return;
    }
}

std::optional<Picture> fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return std::nullopt;
}

} // namespace

bool LooksLikePlaceableMetafile(QByteArrayView data) {
    return data.size() >= 4 &&
           qFromLittleEndian<std::uint32_t>(data.data()) == kPlaceableMetafileKey;
}

std::optional<Picture> ReadPlaceableMetafile(QByteArrayView data, QString* error) {
    if (data.size() < kPlaceableHeaderBytes + kMetaHeaderBytes)
        return fail(error, QStringLiteral("the file is too short for a placeable metafile"));
    if (!LooksLikePlaceableMetafile(data))
        return fail(error, QStringLiteral("the file is not a placeable metafile"));
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    auto word = [bytes](qsizetype offset) {
        return qFromLittleEndian<std::uint16_t>(bytes + offset);
    };

    std::uint16_t checksum = 0;
    for (qsizetype i = 0; i < 10; ++i)
        checksum ^= word(2 * i);
    if (checksum != word(20))
        return fail(error, QStringLiteral("the placeable header's checksum is wrong"));
    const double left = std::int16_t(word(6)), top = std::int16_t(word(8));
    const double right = std::int16_t(word(10)), bottom = std::int16_t(word(12));
    const std::uint16_t unitsPerInch = word(14);
    const QRectF bounds = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    if (bounds.isEmpty() || unitsPerInch == 0)
        return fail(error, QStringLiteral("the placeable header has an empty picture frame"));

    const qsizetype header = kPlaceableHeaderBytes;
    const std::uint16_t type = word(header), headerWords = word(header + 2);
    const std::uint16_t version = word(header + 4);
    const qsizetype declaredWords =
        qsizetype(word(header + 6)) | (qsizetype(word(header + 8)) << 16);
    const std::uint16_t objectCount = word(header + 10);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return fail(error, QStringLiteral("the metafile header is not valid"));
    const qsizetype available = data.size() - header;
    if (declaredWords * 2 > available || declaredWords * 2 < kMetaHeaderBytes)
        return fail(error, QStringLiteral("the file is shorter than its header declares"));
    const qsizetype end = header + declaredWords * 2;

    QPicture drawing;
    QPainter painter(&drawing);
    try {
        Player player(painter, bounds, objectCount);
        qsizetype offset = header + kMetaHeaderBytes;
        for (;;) {
            if (end - offset < 2 * kRecordHeaderWords)
                throw BadMetafile("the records end without an end-of-file record");
            const qsizetype recordWords =
                qsizetype(qFromLittleEndian<std::uint32_t>(bytes + offset));
            const std::uint16_t function = word(offset + 4);
            if (recordWords < kRecordHeaderWords || recordWords > (end - offset) / 2)
                throw BadMetafile("a record's size does not fit the file");
            if (function == META_EOF)
                break;
            player.play(function, Params(bytes + offset + 6, recordWords - kRecordHeaderWords));
            offset += recordWords * 2;
        }
    } catch (const BadMetafile& bad) {
        painter.end();
        return fail(error, QString::fromLatin1(bad.what()));
    }
    painter.end();
    const QSize natural(std::max(1, int(std::lround(bounds.width() * 96.0 / unitsPerInch))),
                        std::max(1, int(std::lround(bounds.height() * 96.0 / unitsPerInch))));
    return Picture(drawing, bounds, natural);
}

} // namespace quillset
