// Feeds arbitrary bytes to the picture loader and draws whatever loads, so both the reader's
// checks and the replay of the records it let through are exercised.
//   build/fuzz/picture_fuzzer -max_len=65536 build/tests/picture-corpus
#include "PictureLoader.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<quillset::Picture> picture = quillset::DecodePicture(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (picture) {
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&canvas);
        picture->drawInto(painter, QRectF(0, 0, 64, 64));
    }
    return 0;
}
