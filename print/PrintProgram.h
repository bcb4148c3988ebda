#pragma once

#include "Dialogs.h"
#include "PrintDestination.h"
#include "PrintJobFrame.h"

#include <QStringList>
#include <memory>

namespace quillset {

class Clock;

// The command line both printing programs share:
//   program [--print] [--pdf FILE] [--printer NAME]
struct PrintCommandLine {
    bool printOnly = false; // print the default contents without showing the window
    PrintOptions options;
    QString error; // not empty when the command line is wrong
};

PrintCommandLine ParsePrintCommandLine(const QStringList& arguments);

// True when the raw command line asks for --print; usable before the application object exists.
bool IsPrintRun(int argc, char** argv);

// Call before the application object exists: a --print run on a machine without a display
// draws off-screen instead of failing to open one.
void UseOffscreenPlatformWhenHeadless(int argc, char** argv);

// A --print run reports on standard error only its own one-line outcome: Qt's warnings about
// the environment (no runtime folder, no session bus...) are dropped; critical messages stay.
void KeepStandardErrorForTheOutcome();

// Every job opens a new printer page for the destination the options and environment choose.
PageFactory MakePrinterPageFactory(PrintOptions options, QString programName, QString documentTitle,
                                   const Clock& clock);

// The dialogs of the environment; a run without a screen to show boxes on answers them
// unattended, so it can never wait for a click that cannot come.
std::unique_ptr<Dialogs> MakeDialogsForPrintRun();

} // namespace quillset
