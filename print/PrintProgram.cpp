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
#include <string>
#include <vector>

namespace quillset {

namespace {

// Qt's options are spelled with one dash (-platform, -style, -reverse), ours with two.
bool IsToolkitOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-' && argument[1] != '-';
}

int RefuseCommandLine(const std::string& programName, const QString& reason) {
    std::fprintf(stderr, "%s: %s (see --help)\n", programName.c_str(), qPrintable(reason));
    return 2;
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

Result<PrintCommandLine> ParsePrintCommandLine(const std::vector<std::string>& arguments) {
    PrintCommandLine result;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool valueFollows = i + 1 < arguments.size() && !arguments[i + 1].empty();
        if (argument == "--help" || argument == "--version") {
            result.about = argument;
            return result;
        }
        if (argument == "--print") {
            result.printOnly = true;
        } else if (argument == "--pdf" || argument == "--printer") {
            if (!valueFollows)
                return Refuse(QString::fromStdString(argument) + QStringLiteral(" needs a value"));
            (argument == "--pdf" ? result.options.pdfPath : result.options.printerName) =
                QString::fromLocal8Bit(arguments[++i]);
        } else if (IsToolkitOption(argument)) {
            result.toolkitArguments.push_back(argument);
            if (valueFollows && arguments[i + 1][0] != '-')
                result.toolkitArguments.push_back(arguments[++i]);
        } else {
            return Refuse(QStringLiteral("unknown argument ") + QString::fromLocal8Bit(argument));
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
           "  --version       show the version\n"
           "  -platform NAME  and Qt's other single-dash options are passed to Qt\n\n"
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
    Result<PrintCommandLine> command =
        ParsePrintCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!command)
        return RefuseCommandLine(parts.programName, command.reason());
    // Answered before the application object exists, so they work without a display.
    if (!command->about.empty()) {
        AnswerAbout(command->about,
                    {parts.programName, PrintProgramUsage(parts.programName, parts.purpose)});
        return 0;
    }
    // A full disk under a file-size limit, or a FIFO whose reader left, is a failed write the
    // job reports, not a reason to die.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    // Qt is shown only its own options and keeps pointers to them while the application lives.
    std::string programPath = argc > 0 ? argv[0] : parts.programName;
    std::vector<char*> toolkitArgv{programPath.data()};
    for (std::string& argument : command->toolkitArguments)
        toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArgv.size()) - 1;
    std::unique_ptr<QGuiApplication> app;
    if (command->printOnly) {
        UseOffscreenPlatform();
        KeepStandardErrorForTheOutcome();
        app = std::make_unique<QGuiApplication>(toolkitArgc, toolkitArgv.data());
    } else {
        app = std::make_unique<QApplication>(toolkitArgc, toolkitArgv.data());
    }
    // Qt has taken the options it knows out of its arguments; what is left is no one's.
    if (toolkitArgc > 1)
        return RefuseCommandLine(parts.programName, QStringLiteral("unknown argument ") +
                                                        QString::fromLocal8Bit(toolkitArgv[1]));
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
    if (command->printOnly) {
        const PrintJobResult result = parts.printStartingContents(services);
        // A file nobody named is told on a line of its own as well, for scripts to pick up.
        if (result.sent && !result.documentFile.isEmpty() && command->options.pdfPath.isEmpty())
            std::printf("%s\n", qPrintable(result.documentFile));
        return result.sent ? 0 : 1;
    }
    // A user who started the window from the menu sees neither standard error nor the log.
    services.tellFailure = NotifyPrintFailure;
    const std::unique_ptr<QWidget> window = parts.makeWindow(services, *dialogs);
    window->show();
    return app->exec();
}

} // namespace quillset
