#include "print/PrintProgram.h"

#include "graphics/Fonts.h"
#include "platform/Clock.h"
#include "platform/ProgramAbout.h"
#include "platform/SystemClock.h"
#include "platform/UnattendedDialogs.h"
#include "print/PicturesFrm.h"
#include "print/PrinterPage.h"
#include "widgets/DialogsForEnvironment.h"
#include "widgets/QtMousePointer.h"

#include <QApplication>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillset {

namespace {

bool TakesValue(const char* argument) {
    return std::strcmp(argument, "--pdf") == 0 || std::strcmp(argument, "--printer") == 0;
}

bool IsPrintRun(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (TakesValue(argv[i]))
            ++i;
        else if (std::strcmp(argv[i], "--print") == 0)
            return true;
    }
    return false;
}

// Answered before the application object exists, so they work without a display.
bool AnsweredAbout(int argc, char** argv, const ProgramAbout& about) {
    for (int i = 1; i < argc; ++i) {
        if (TakesValue(argv[i]))
            ++i;
        else if (AnswerAbout(argv[i], about))
            return true;
    }
    return false;
}

void UseOffscreenPlatformWhenHeadless() {
    const auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    if (!isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// Qt's warnings about the environment (no runtime folder, no session bus...) are dropped;
// critical messages stay.
void KeepStandardErrorForTheOutcome() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}

// A run without a screen to show boxes on answers them unattended, so it can never wait for a
// click that cannot come.
std::unique_ptr<Dialogs> MakeDialogs() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return std::make_unique<UnattendedDialogs>();
    return MakeDialogsForEnvironment();
}

} // namespace

Result<PrintCommandLine> ParsePrintCommandLine(const QStringList& arguments) {
    PrintCommandLine result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--print")) {
            result.printOnly = true;
        } else if (argument == QLatin1String("--pdf") || argument == QLatin1String("--printer")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                return Refuse(argument + QStringLiteral(" needs a value"));
            (argument == QLatin1String("--pdf") ? result.options.pdfPath
                                                : result.options.printerName) = arguments[++i];
        } else {
            return Refuse(QStringLiteral("unknown argument ") + argument);
        }
    }
    if (!result.options.pdfPath.isEmpty() && !result.options.printerName.isEmpty())
        return Refuse(QStringLiteral("--pdf and --printer cannot be used together"));
    return result;
}

std::string PrintProgramUsage(const std::string& programName, const std::string& purpose) {
    return "Usage: " + programName + " [--print] [--pdf FILE | --printer NAME]\n" + purpose +
           "\n\n"
           "  --print         print the window's starting contents once, without the window\n"
           "  --pdf FILE      write the page to FILE as PDF; a device or FIFO there is written\n"
           "                  through, a link is followed\n"
           "  --printer NAME  send the page to the print queue NAME\n"
           "  --help          show this text\n"
           "  --version       show the version\n\n"
           "Without --pdf or --printer the page goes to the queue named by QUILLSET_PRINTER, the\n"
           "default queue, or else a new PDF file in your documents folder. Exit code: 0 printed,\n"
           "1 not printed (the reason is on standard error and in\n"
           "$XDG_STATE_HOME/quillset/" +
           programName + ".log), 2 a wrong command line.\n";
}

PageFactory MakePrinterPageFactory(PrintOptions options, QString programName, QString documentTitle,
                                   const Clock& clock) {
    return [options = std::move(options), programName = std::move(programName),
            documentTitle = std::move(documentTitle), &clock]() -> std::shared_ptr<PrintSurface> {
        return std::make_shared<PrinterPage>(
            MakePageSink(ChoosePrintDestination(options, programName, clock.now()), documentTitle),
            documentTitle);
    };
}

int RunPrintProgram(int argc, char** argv, const PrintProgramParts& parts) {
    if (AnsweredAbout(argc, argv,
                      {parts.programName, PrintProgramUsage(parts.programName, parts.purpose)}))
        return 0;
    // A full disk under a file-size limit, or a FIFO whose reader left, is a failed write the
    // job reports, not a reason to die.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    const bool printRun = IsPrintRun(argc, argv);
    if (printRun) {
        UseOffscreenPlatformWhenHeadless();
        KeepStandardErrorForTheOutcome();
    }
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform ...) out of the arguments by now.
    const Result<PrintCommandLine> command = ParsePrintCommandLine(app.arguments());
    if (!command) {
        std::fprintf(stderr, "%s: %s (see --help)\n", parts.programName.c_str(),
                     qPrintable(command.reason()));
        return 2;
    }
    InstallFontSubstitutions();

    const QString programName = QString::fromStdString(parts.programName);
    SystemClock clock;
    PicturesFrm pictures;
    QtMousePointer pointer;
    const std::unique_ptr<Dialogs> dialogs = MakeDialogs();
    PrintJobServices services{
        MakePrinterPageFactory(command->options, programName, parts.applicationTitle, clock),
        pictures,
        pointer,
        *dialogs,
        clock,
        parts.applicationTitle,
        programName,
        parts.documentName};
    const PrintWindow window = parts.makeWindow(services, *dialogs);
    if (command->printOnly)
        return window.print().sent ? 0 : 1;
    window.window->show();
    return app.exec();
}

} // namespace quillset
