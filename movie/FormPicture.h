#pragma once

#include "graphics/Picture.h"
#include "platform/Result.h"

#include <QByteArrayView>
#include <filesystem>

namespace quillset {

// A picture file as the form's "..." buttons load it. Besides what the shared loader refuses, a
// Windows bitmap whose pixel rows run past the end of the file is refused: the decoder would
// otherwise show the missing rows as blank and call the picture good.
Result<Picture> LoadFormPicture(const std::filesystem::path& path);

// False only for a Windows bitmap whose declared pixel data does not fit in `data`.
bool BitmapDataIsComplete(QByteArrayView data);

} // namespace quillset
