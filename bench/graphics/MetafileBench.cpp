// The metafile reader on files that real programs write (tests/graphics/metafiles): reading and
// recording each file, and drawing it once onto a page-sized bitmap. Also how soon a hostile
// file of 90 MB of SaveDC records is refused.
#include "graphics/PictureLoader.h"
#include "graphics/PlaceableMetafile.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QtEndian>
#include <benchmark/benchmark.h>

namespace {

using namespace quillset;

QByteArray ReadCorpusFile(const QString& name) {
    QFile file(QDir(QStringLiteral(QUILLSET_METAFILE_CORPUS)).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ReadMetafile(benchmark::State& state, const QString& name) {
    const QByteArray data = ReadCorpusFile(name);
    for (auto _ : state) {
        if (!ReadPlaceableMetafile(data))
            state.SkipWithError("the file does not load");
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void ReadAndDrawMetafile(benchmark::State& state, const QString& name) {
    const QByteArray data = ReadCorpusFile(name);
    QImage page(800, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const Result<Picture> picture = ReadPlaceableMetafile(data);
        if (!picture) {
            state.SkipWithError("the file does not load");
            break;
        }
        QPainter painter(&page);
        picture->drawInto(painter, QRectF(page.rect()));
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

// The placeable header, a metafile header, then nothing but SaveDC records up to 90 MB.
void RefuseDeepSaveDc(benchmark::State& state) {
    constexpr qsizetype kBytes = 90LL * 1024 * 1024;
    QByteArray data(kBytes, '\0');
    auto put16 = [&data](qsizetype at, std::uint16_t v) { qToLittleEndian(v, data.data() + at); };
    qToLittleEndian<std::uint32_t>(kPlaceableMetafileKey, data.data());
    put16(10, 1000);
    put16(12, 1000);
    put16(14, 1440);
    std::uint16_t checksum = 0;
    for (int i = 0; i < 10; ++i)
        checksum ^= qFromLittleEndian<std::uint16_t>(data.constData() + 2 * i);
    put16(20, checksum);
    put16(22, 1);
    put16(24, 9);
    put16(26, 0x0300);
    qToLittleEndian<std::uint32_t>(std::uint32_t((kBytes - 22) / 2), data.data() + 28);
    for (qsizetype at = 40; at + 6 <= kBytes; at += 6) {
        qToLittleEndian<std::uint32_t>(3, data.data() + at);
        put16(at + 4, 0x001E);
    }
    for (auto _ : state) {
        if (ReadPlaceableMetafile(data))
            state.SkipWithError("the file was not refused");
    }
}
BENCHMARK(RefuseDeepSaveDc)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    // Fonts need the application object; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList files =
        QDir(QStringLiteral(QUILLSET_METAFILE_CORPUS)).entryList({"*.wmf"}, QDir::Files);
    for (const QString& name : files) {
        benchmark::RegisterBenchmark(("Read/" + name).toStdString().c_str(), ReadMetafile, name)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("ReadAndDraw/" + name).toStdString().c_str(),
                                     ReadAndDrawMetafile, name)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
