#pragma once

#include "platform/Dialogs.h"
#include "platform/Result.h"
#include "print/PrintDestination.h"
#include "print/PrintJobFrame.h"

#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace quillset {

class Clock;

// The command line both printing programs share:
//   program [--print] [--pdf FILE] [--printer NAME]
struct PrintCommandLine {
    bool printOnly = false; // print the default contents without showing the window
    PrintOptions options;
};

// The command line read, or what is wrong with it.
Result<PrintCommandLine> ParsePrintCommandLine(const QStringList& arguments);

// The --help text of a printing program.
std::string PrintProgramUsage(const std::string& programName, const std::string& purpose);

// Every job opens a new printer page for the destination the options and environment choose.
PageFactory MakePrinterPageFactory(PrintOptions options, QString programName, QString documentTitle,
                                   const Clock& clock);

// A printing program's window as the shared main needs it.
struct PrintWindow {
    std::unique_ptr<QWidget> window;
    std::function<PrintJobResult()> print; // presses the print button once
};

// What makes one printing program differ from the other.
struct PrintProgramParts {
    std::string programName;  // "quotation": messages, the failure log, default PDF names
    std::string purpose;      // one line for --help
    QString applicationTitle; // "QUOTATION": the message boxes' caption and the document title
    QString documentName;     // "letter": what the failure log says was not printed
    std::function<PrintWindow(PrintJobServices&, Dialogs&)> makeWindow;
};

// The whole main of a printing program: --help and --version; the command line; the window, or
// with --print one job of the window's contents without it, whose outcome is the exit code
// (0 printed, 1 failed, 2 a wrong command line). A --print run on a machine without a display
// draws off-screen, answers its message boxes unattended, and keeps Qt's warnings off standard
// error so the job's own outcome is what it reports there.
int RunPrintProgram(int argc, char** argv, const PrintProgramParts& parts);

} // namespace quillset
