#pragma once

#include "graphics/Picture.h"
#include "platform/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <filesystem>

namespace quillset {

// Limits on what a picture file may ask of us, checked before any pixel memory is taken.
constexpr int kMaxPictureSide = 10000;
constexpr qint64 kMaxPictureBytes = 100LL * 1024 * 1024;

// Loads a picture file as a picture box does: a placeable Windows metafile (kept as vector
// drawing) or a bitmap. Refused, with the reason, when the file is missing, is not a picture, is
// damaged or declares a size beyond the limits above.
Result<Picture> LoadPicture(const std::filesystem::path& path);
// The same for the contents of a file already in memory.
Result<Picture> DecodePicture(QByteArrayView data);
// Reads a picture file's bytes: only a regular file of at most kMaxPictureBytes; a FIFO, device
// or folder is refused at once.
Result<QByteArray> ReadPictureFile(const std::filesystem::path& path);

} // namespace quillset
