// The entry point of movie-window.so, the movie program's window side.
#include "movie/Form1.h"
#include "movie/MovieProgram.h"
#include "movie/PrintSchedule.h"
#include "movie/TextForm.h"
#include "platform/FailureLog.h"
#include "print/PrintWindow.h"

#include <QCoreApplication>

using namespace quillset;

int QuillsetWindowMain(int argc, char** argv) {
    // The hidden canvas form lives as long as the window, as the design's forms do.
    TextForm textForm;
    return RunPrintWindow(
        argc, argv, MovieProgram(), [&](PrintJobServices& services, Dialogs& dialogs) {
            Form1Actions actions;
            actions.dialogs = &dialogs;
            actions.printSchedule = [&](const ScheduleContents& contents) {
                PrintSchedule(services, textForm, contents);
            };
            actions.endProgram = [] { QCoreApplication::exit(0); };
            actions.pictureNotLoaded = [&](const QString& file, const QString& reason) {
                LogFailure({services.programName, file, QStringLiteral("picture"), reason});
            };
            return std::make_unique<Form1>(StartingSchedule(), actions);
        });
}
