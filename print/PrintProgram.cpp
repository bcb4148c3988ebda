#include "print/PrintProgram.h"

#include "graphics/Fonts.h"
#include "platform/MousePointer.h"
#include "platform/ProgramAbout.h"
#include "platform/UnattendedDialogs.h"
#include "print/PrinterPage.h"
#include "print/WindowModule.h"

#include <QGuiApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace quillset {

namespace {

// Qt's options are spelled with one dash (-platform, -style, -reverse), ours with two.
bool IsToolkitOption(const std::string& argument) {
    return argument.size() > 1 && argument[0] == '-' && argument[1] != '-';
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

// One job of the window's starting contents, off-screen, its message on standard output: nobody
// may be there to close a box.
int PrintStartingContents(int argc, char** argv, const PrintProgramParts& parts,
                          PrintCommandLine& command) {
    UseOffscreenPlatform();
    KeepStandardErrorForTheOutcome();
    ToolkitCommandLine toolkit(argc > 0 ? argv[0] : parts.programName.c_str(),
                               std::move(command.toolkitArguments));
    const QGuiApplication app(toolkit.argc(), toolkit.argv());
    if (const QString unknown = toolkit.leftOver(); !unknown.isEmpty())
        return RefuseCommandLine(parts.programName, QStringLiteral("unknown argument ") + unknown);
    InstallFontSubstitutions();
    // The platform plugin is loaded; the page needs no other (pictures have readers of their own,
    // the PDF writer is Qt Gui's), and Qt's PDF writer would load every image plugin to list
    // their formats.
    QCoreApplication::setLibraryPaths({});
    RememberedMousePointer pointer;
    UnattendedDialogs dialogs;
    ProgramJobs jobs(parts, command.options, pointer, dialogs);
    // A file nobody named is on the message's second line: scripts find its path there.
    return parts.printStartingContents(jobs.services).sent ? 0 : 1;
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

int RefuseCommandLine(const std::string& programName, const QString& reason) {
    std::fprintf(stderr, "%s: %s (see --help)\n", programName.c_str(), qPrintable(reason));
    return 2;
}

ToolkitCommandLine::ToolkitCommandLine(const char* programPath,
                                       std::vector<std::string> toolkitArguments)
    : programPath_(programPath), arguments_(std::move(toolkitArguments)) {
    argv_.push_back(programPath_.data());
    for (std::string& argument : arguments_)
        argv_.push_back(argument.data());
    argv_.push_back(nullptr);
    argc_ = static_cast<int>(argv_.size()) - 1;
}

QString ToolkitCommandLine::leftOver() const {
    return argc_ > 1 ? QString::fromLocal8Bit(argv_[1]) : QString();
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

ProgramJobs::ProgramJobs(const PrintProgramParts& parts, const PrintOptions& options,
                         MousePointer& pointer, Dialogs& dialogs)
    : services{MakePrinterPageFactory(options, QString::fromStdString(parts.programName),
                                      parts.applicationTitle, clock),
               pictures,
               pointer,
               dialogs,
               clock,
               parts.applicationTitle,
               QString::fromStdString(parts.programName),
               parts.documentName} {}

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
    if (command->printOnly)
        return PrintStartingContents(argc, argv, parts, *command);
    return RunWindowModule(parts, argc, argv);
}

} // namespace quillset
