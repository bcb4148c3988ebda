#pragma once

#include "platform/Dialogs.h"
#include "platform/FailureLog.h"
#include "platform/Result.h"
#include "print/PrintDestination.h"
#include "print/PrintJobFrame.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace quillset {

class Clock;

// The command line both printing programs share:
//   program [--print] [--pdf FILE | --printer NAME] [--help] [--version] [Qt's own options]
struct PrintCommandLine {
    bool printOnly = false; // print the default contents without showing the window
    PrintOptions options;
    std::string about; // "--help" or "--version" when asked for: answered, nothing else done
    // Single-dash arguments and a value after each: Qt's own options (-platform NAME, -style
    // NAME...), for the application object, which takes those it knows and leaves the rest.
    std::vector<std::string> toolkitArguments;
};

// The command line read once, program name first, or what is wrong with it.
Result<PrintCommandLine> ParsePrintCommandLine(const std::vector<std::string>& arguments);

// The --help text of a printing program.
std::string PrintProgramUsage(const std::string& programName, const std::string& purpose);

// Every job opens a new printer page for the destination the options and environment choose.
PageFactory MakePrinterPageFactory(PrintOptions options, QString programName, QString documentTitle,
                                   const Clock& clock);

// What makes one printing program differ from the other.
struct PrintProgramParts {
    std::string programName;  // "quotation": messages, the failure log, default PDF names
    std::string purpose;      // one line for --help
    QString applicationTitle; // "QUOTATION": the message boxes' caption and the document title
    QString documentName;     // "letter": what the failure log says was not printed
    // The window, whose print button runs jobs through `services`.
    std::function<std::unique_ptr<QWidget>(PrintJobServices& services, Dialogs& dialogs)>
        makeWindow;
    // One job of what the window shows at start, without making the window (--print).
    std::function<PrintJobResult(PrintJobServices& services)> printStartingContents;
};

// How the window tells a failed print beyond standard error and the log: a desktop notification
// with the program's name, the reason and the log's path.
void NotifyPrintFailure(const FailureRecord& record);

// The whole main of a printing program: --help and --version; the command line; the window, or
// with --print one job of the window's starting contents, whose outcome is the exit code (0
// printed, 1 failed, 2 a wrong command line). A --print run makes no window and no widget and
// shows no box: it draws off-screen (unless QT_QPA_PLATFORM names a platform), writes the
// message to standard output, and keeps Qt's warnings off standard error so the job's own
// outcome is what it reports there.
int RunPrintProgram(int argc, char** argv, const PrintProgramParts& parts);

} // namespace quillset
