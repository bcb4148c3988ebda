#pragma once

#include <QImage>
#include <QtGlobal>

namespace quillset {

// Decodes a device-independent bitmap as metafile records carry it: an info header, colour
// table and pixels, without the file header of a .BMP. A null image for kinds we do not draw
// (embedded JPEG or PNG, colours given as palette indices); BadMetafile when the bitmap declares
// more than its record holds or a size beyond the picture limits.
QImage DecodeDib(const uchar* data, qsizetype size, bool paletteIndices = false);

// Decodes the old device-dependent bitmap of the BITBLT and STRETCHBLT records; writers also put
// a device-independent bitmap there, which is told by its header and decoded as such. A null
// image for colour depths that need a device palette.
QImage DecodeBlitBitmap(const uchar* data, qsizetype size);

} // namespace quillset
