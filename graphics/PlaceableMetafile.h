#pragma once

#include "graphics/Picture.h"
#include "platform/Result.h"

#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace quillset {

// The first four bytes of a placeable Windows metafile (little-endian 0x9AC6CDD7).
constexpr std::uint32_t kPlaceableMetafileKey = 0x9AC6CDD7u;

bool LooksLikePlaceableMetafile(QByteArrayView data);

// Reads a placeable Windows metafile and replays its records into a vector picture whose bounds
// are the header's bounding box. The file is read as hostile: the placeable header and its
// checksum, the metafile header and every record's size are checked against the file, and any
// inconsistency is a refused load with the reason, never an overread.
Result<Picture> ReadPlaceableMetafile(QByteArrayView data);

} // namespace quillset
