#include "print/PrintProgram.h"

#include "graphics/Fonts.h"
#include "platform/Clock.h"
#include "platform/ProgramAbout.h"
#include "platform/SystemClock.h"
#include "platform/UnattendedDialogs.h"
#include "print/PicturesFrm.h"
#include "print/PrinterPage.h"
#include "widgets/DesktopNotification.h"
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

// A --print run shows nothing, so it needs no window system: drawing off-screen also starts
// faster and lays the page out the same on every desktop. An explicit choice is kept.
void UseOffscreenPlatform() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform)
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

void NotifyPrintFailure(const FailureRecord& record) {
    SendDesktopNotification({record.program, QStringLiteral("org.quillset.") + record.program,
                             QStringLiteral("The %1 was not printed").arg(record.subject),
                             record.reason.simplified() + QStringLiteral("\nDetails in ") +
                                 QString::fromStdString(FailureLogFile(record.program).string())});
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
    std::unique_ptr<QGuiApplication> app;
    if (printRun) {
        UseOffscreenPlatform();
        KeepStandardErrorForTheOutcome();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QApplication>(argc, argv);
    }
    // Qt has taken its own options (-platform ...) out of the arguments by now.
    const Result<PrintCommandLine> command = ParsePrintCommandLine(QCoreApplication::arguments());
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
    // With --print the message goes to standard output: nobody may be there to close a box.
    const std::unique_ptr<Dialogs> dialogs =
        command->printOnly ? std::unique_ptr<Dialogs>(std::make_unique<UnattendedDialogs>())
                           : MakeDialogsForEnvironment();
    PrintJobServices services{
        MakePrinterPageFactory(command->options, programName, parts.applicationTitle, clock),
        pictures,
        pointer,
        *dialogs,
        clock,
        parts.applicationTitle,
        programName,
        parts.documentName};
    if (command->printOnly)
        return parts.printStartingContents(services).sent ? 0 : 1;
    // A user who started the window from the menu sees neither standard error nor the log.
    services.tellFailure = NotifyPrintFailure;
    const std::unique_ptr<QWidget> window = parts.makeWindow(services, *dialogs);
    window->show();
    return app->exec();
}

} // namespace quillset
