// Feeds arbitrary bytes to the picture loader and draws whatever loads, so both the reader's
// checks and the replay of the records it let through are exercised.
//   build/fuzz/picture_fuzz -max_len=65536 build/fuzz/picture-corpus
#include "graphics/PictureLoader.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

// fontconfig keeps its pattern caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace {

// Fonts and painting need an application object; the replay program does not make one.
void EnsureApplication() {
    if (QGuiApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "picture_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    EnsureApplication();
    const quillset::Result<quillset::Picture> picture = quillset::DecodePicture(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (picture) {
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        picture->drawInto(painter, QRectF(0, 0, 64, 64));
    }
    return 0;
}
