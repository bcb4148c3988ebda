#include "graphics/PlaceableMetafile.h"

#include "graphics/MetafilePlayer.h"

#include <QPainter>
#include <QPicture>
#include <QtEndian>
#include <cmath>

namespace quillset {

namespace {

constexpr qsizetype kPlaceableHeaderBytes = 22;
constexpr qsizetype kMetaHeaderBytes = 18;
constexpr qsizetype kRecordHeaderWords = 3;

} // namespace

bool LooksLikePlaceableMetafile(QByteArrayView data) {
    return data.size() >= 4 &&
           qFromLittleEndian<std::uint32_t>(data.data()) == kPlaceableMetafileKey;
}

Result<Picture> ReadPlaceableMetafile(QByteArrayView data) {
    if (data.size() < kPlaceableHeaderBytes + kMetaHeaderBytes)
        return Refuse(QStringLiteral("the file is too short for a placeable metafile"));
    if (!LooksLikePlaceableMetafile(data))
        return Refuse(QStringLiteral("the file is not a placeable metafile"));
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    auto word = [bytes](qsizetype offset) {
        return qFromLittleEndian<std::uint16_t>(bytes + offset);
    };

    std::uint16_t checksum = 0;
    for (qsizetype i = 0; i < 10; ++i)
        checksum ^= word(2 * i);
    if (checksum != word(20))
        return Refuse(QStringLiteral("the placeable header's checksum is wrong"));
    const double left = std::int16_t(word(6)), top = std::int16_t(word(8));
    const double right = std::int16_t(word(10)), bottom = std::int16_t(word(12));
    const std::uint16_t unitsPerInch = word(14);
    const QRectF bounds = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
    if (bounds.isEmpty() || unitsPerInch == 0)
        return Refuse(QStringLiteral("the placeable header has an empty picture frame"));

    const qsizetype header = kPlaceableHeaderBytes;
    const std::uint16_t type = word(header), headerWords = word(header + 2);
    const std::uint16_t version = word(header + 4);
    const qsizetype declaredWords =
        qsizetype(word(header + 6)) | (qsizetype(word(header + 8)) << 16);
    const std::uint16_t objectCount = word(header + 10);
    if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300))
        return Refuse(QStringLiteral("the metafile header is not valid"));
    const qsizetype available = data.size() - header;
    // Some writers count the placeable header in the size: the records then end that many bytes
    // from the start of the file.
    const bool countsPlaceableHeader =
        declaredWords * 2 > available && declaredWords * 2 <= data.size();
    if ((declaredWords * 2 > available && !countsPlaceableHeader) ||
        declaredWords * 2 < kMetaHeaderBytes)
        return Refuse(QStringLiteral("the file is shorter than its header declares"));
    const qsizetype end = countsPlaceableHeader ? declaredWords * 2 : header + declaredWords * 2;

    QPicture drawing;
    QPainter painter(&drawing);
    try {
        MetafilePlayer player(painter, bounds, unitsPerInch, objectCount);
        qsizetype offset = header + kMetaHeaderBytes;
        for (qsizetype records = 0;; ++records) {
            if (end - offset < 2 * kRecordHeaderWords)
                throw BadMetafile("the records end without an end-of-file record");
            if (records >= kMaxMetafileRecords)
                throw BadMetafile("the metafile has more records than allowed");
            const qsizetype recordWords =
                qsizetype(qFromLittleEndian<std::uint32_t>(bytes + offset));
            const std::uint16_t function = word(offset + 4);
            if (recordWords < kRecordHeaderWords || recordWords > (end - offset) / 2)
                throw BadMetafile("a record's size does not fit the file");
            if (function == META_EOF)
                break;
            player.play(function,
                        MetafileParams(bytes + offset + 6, recordWords - kRecordHeaderWords));
            offset += recordWords * 2;
        }
    } catch (const BadMetafile& bad) {
        painter.end();
        return Refuse(QString::fromLatin1(bad.what()));
    }
    painter.end();
    const QSize natural(std::max(1, int(std::lround(bounds.width() * 96.0 / unitsPerInch))),
                        std::max(1, int(std::lround(bounds.height() * 96.0 / unitsPerInch))));
    return Picture(drawing, bounds, natural);
}

} // namespace quillset
