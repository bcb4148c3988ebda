// A file handed to the form's "..." buttons, read as hostile: the completeness check and the
// decoder must never crash, overread or take unbounded memory, and a bitmap the check passes
// must decode no larger than the file allows.
#include "graphics/PictureLoader.h"
#include "movie/FormPicture.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!quillset::BitmapDataIsComplete(bytes))
        return 0;
    const quillset::Result<quillset::Picture> picture = quillset::DecodePicture(bytes);
    if (picture && !picture->isVector()) {
        const QSize pixels = picture->naturalSize();
        if (pixels.width() > quillset::kMaxPictureSide ||
            pixels.height() > quillset::kMaxPictureSide)
            std::abort();
    }
    return 0;
}
