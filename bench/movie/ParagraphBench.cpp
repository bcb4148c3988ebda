#include "graphics/Fonts.h"
#include "print/RecordingSurface.h"
#include "print/TextCanvas.h"
#include "print/TextPrintingModule.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <random>

namespace {

// Description-like text: words of 1 to 12 letters, a blank line now and then.
QString SampleText(qsizetype length) {
    std::mt19937 random(5);
    QString text;
    text.reserve(length + 16);
    while (text.size() < length) {
        const int word = std::uniform_int_distribution(1, 12)(random);
        text += QString(word, QChar(u'a' + word));
        text += (std::uniform_int_distribution(0, 60)(random) == 0) ? QStringLiteral("\r\n\r\n")
                                                                    : QStringLiteral(" ");
    }
    text.truncate(length);
    return text;
}

constexpr std::int32_t kTall = std::numeric_limits<std::int32_t>::max();

// The layout alone: the narrow description column on a surface that only records.
void PrintParagraphsOnRecordingSurface(benchmark::State& state) {
    const QString text = SampleText(state.range(0));
    for (auto _ : state) {
        quillset::RecordingSurface canvas;
        canvas.SetWidth(2370);
        canvas.SetHeight(kTall);
        if (!quillset::PrintParagraphs(canvas, text, "Courier New", 8.25f,
                                       quillset::kWindowTextColor))
            state.SkipWithError("the layout stopped at a failure");
        benchmark::DoNotOptimize(canvas.operations().data());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(PrintParagraphsOnRecordingSurface)->Arg(1 << 10)->Arg(10 << 10)->Arg(100 << 10);

// Layout and drawing on the program's own vector text canvas, made tall enough for every line.
void PrintParagraphsOnTextCanvas(benchmark::State& state) {
    const QString text = SampleText(state.range(0));
    for (auto _ : state) {
        quillset::TextCanvas canvas(2370, kTall);
        if (!quillset::PrintParagraphs(canvas, text, "Courier New", 8.25f,
                                       quillset::kWindowTextColor))
            state.SkipWithError("the layout stopped at a failure");
        benchmark::DoNotOptimize(canvas.CurrentY());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(PrintParagraphsOnTextCanvas)->Arg(1 << 10)->Arg(10 << 10)->Arg(100 << 10);

} // namespace

int main(int argc, char** argv) {
    // Fonts need the application object; no window is ever shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    quillset::InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
