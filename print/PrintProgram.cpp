#include "PrintProgram.h"

#include "Clock.h"
#include "DialogsForEnvironment.h"
#include "PrinterPage.h"
#include "UnattendedDialogs.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillset {

PrintCommandLine ParsePrintCommandLine(const QStringList& arguments) {
    PrintCommandLine result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--print")) {
            result.printOnly = true;
        } else if (argument == QLatin1String("--pdf") || argument == QLatin1String("--printer")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                result.error = argument + QStringLiteral(" needs a value");
                return result;
            }
            (argument == QLatin1String("--pdf") ? result.options.pdfPath
                                                : result.options.printerName) = arguments[++i];
        } else {
            result.error = QStringLiteral("unknown argument ") + argument;
            return result;
        }
    }
    if (!result.options.pdfPath.isEmpty() && !result.options.printerName.isEmpty())
        result.error = QStringLiteral("--pdf and --printer cannot be used together");
    return result;
}

bool IsPrintRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--print") == 0)
            return true;
    return false;
}

void UseOffscreenPlatformWhenHeadless(int argc, char** argv) {
    const bool printOnly = IsPrintRun(argc, argv);
    const auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (printOnly && !isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void KeepStandardErrorForTheOutcome() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}

PageFactory MakePrinterPageFactory(PrintOptions options, QString programName, QString documentTitle,
                                   const Clock& clock) {
    return [options = std::move(options), programName = std::move(programName),
            documentTitle = std::move(documentTitle), &clock]() -> std::shared_ptr<PrintSurface> {
        return std::make_shared<PrinterPage>(
            ChoosePrintDestination(options, programName, clock.now()), documentTitle);
    };
}

std::unique_ptr<Dialogs> MakeDialogsForPrintRun() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return std::make_unique<UnattendedDialogs>();
    return MakeDialogsForEnvironment();
}

} // namespace quillset
