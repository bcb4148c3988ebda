#include "RecordingSurface.h"
#include "TextPrintingModule.h"

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

// The narrow description canvas, made tall enough to hold every line.
void PrintParagraphsOnTallCanvas(benchmark::State& state) {
    const QString text = SampleText(state.range(0));
    for (auto _ : state) {
        quillset::RecordingSurface canvas;
        canvas.SetWidth(2370);
        canvas.SetHeight(std::numeric_limits<std::int32_t>::max());
        quillset::PrintParagraphs(canvas, text, "Courier New", 8.25f, quillset::WindowTextColor);
        benchmark::DoNotOptimize(canvas.operations().data());
    }
    state.SetItemsProcessed(state.iterations() * text.size());
}
BENCHMARK(PrintParagraphsOnTallCanvas)->Arg(1 << 10)->Arg(10 << 10)->Arg(100 << 10);

} // namespace

BENCHMARK_MAIN();
