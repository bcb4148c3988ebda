// In-process cost of the quotation job: one whole letter to a PDF file, and the pieces that
// read files (the letterhead metafile).
#include "graphics/Fonts.h"
#include "graphics/PictureLoader.h"
#include "platform/MousePointer.h"
#include "platform/ScriptedDialogs.h"
#include "platform/SystemClock.h"
#include "print/PicturesFrm.h"
#include "print/PrinterPage.h"
#include "quotation/Module1.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace quillset;

namespace {

std::filesystem::path Demo(const char* relative) {
    return std::filesystem::path(QUILLSET_BIN_DIR) / "drive_c" / "QSET_DEMOS" / relative;
}

void QuotationJobToPdf(benchmark::State& state) {
    qputenv("QUILLSET_DRIVE_C", QUILLSET_BIN_DIR "/drive_c");
    QTemporaryDir folder;
    const QString pdf = folder.filePath("letter.pdf");
    ScriptedDialogs dialogs;
    RememberedMousePointer pointer;
    SystemClock clock;
    PicturesFrm pictures;
    PrintJobServices services{[&] {
                                  return std::make_shared<PrinterPage>(
                                      MakePageSink(PrintDestination{{}, pdf, false}, "QUOTATION"),
                                      "QUOTATION");
                              },
                              pictures,
                              pointer,
                              dialogs,
                              clock,
                              kQuotationTitle,
                              "quotation",
                              "letter"};
    const Module1 strings{"Robert Miller", "4352 Hillstreets, Toronto CA", "Susan Clarke"};
    const CostItemList items({"$10.00 - Delivery to Canada", "$15.00 - Delivery to Mexico",
                              "$45.00 - Delivery to Japan!"});
    for (auto _ : state) {
        const PrintJobResult result = PrintQuotation(services, strings, items);
        if (!result.sent)
            state.SkipWithError(qPrintable(result.failure));
        dialogs.clear();
    }
}
BENCHMARK(QuotationJobToPdf)->Unit(benchmark::kMillisecond);

void LoadLetterheadMetafile(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadPicture(Demo("QUOTATION/GLOBE.WMF")));
}
BENCHMARK(LoadLetterheadMetafile)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
