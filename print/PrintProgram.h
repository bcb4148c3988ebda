#pragma once

#include "platform/Result.h"
#include "platform/SystemClock.h"
#include "print/PicturesFrm.h"
#include "print/PrintDestination.h"
#include "print/PrintJobFrame.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Tells what is wrong with the command line on standard error; answers the exit code, 2.
int RefuseCommandLine(const std::string& programName, const QString& reason);

// The arguments the application object is made with: the program's path and Qt's own options.
// Qt keeps pointers to them while the application lives, and takes out those it knows.
class ToolkitCommandLine {
public:
    ToolkitCommandLine(const char* programPath, std::vector<std::string> toolkitArguments);
    ToolkitCommandLine(const ToolkitCommandLine&) = delete;
    ToolkitCommandLine& operator=(const ToolkitCommandLine&) = delete;

    int& argc() { return argc_; }
    char** argv() { return argv_.data(); }
    // After the application object was made: the first argument Qt did not take, empty if none.
    QString leftOver() const;

private:
    std::string programPath_;
    std::vector<std::string> arguments_;
    std::vector<char*> argv_;
    int argc_ = 0;
};

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
    // One job of what the window shows at start, without making the window (--print).
    std::function<PrintJobResult(PrintJobServices& services)> printStartingContents;
};

// What a program's jobs share for the whole run: the clock of the footer, the hidden picture
// holder, and the services every job is given, for the destination the options name.
struct ProgramJobs {
    ProgramJobs(const PrintProgramParts& parts, const PrintOptions& options, MousePointer& pointer,
                Dialogs& dialogs);
    SystemClock clock;
    PicturesFrm pictures;
    PrintJobServices services;
};

// The whole main of a printing program: --help and --version; the command line; the window, or
// with --print one job of the window's starting contents, whose outcome is the exit code (0
// printed, 1 failed, 2 a wrong command line). A --print run needs Qt Gui alone: it makes no
// window and shows no box, draws off-screen (unless QT_QPA_PLATFORM names a platform), writes the
// message to standard output, and keeps Qt's warnings off standard error so the job's own
// outcome is what it reports there. The window is the program's window module's to show
// (WindowModule.h), loaded only then.
int RunPrintProgram(int argc, char** argv, const PrintProgramParts& parts);

} // namespace quillset
