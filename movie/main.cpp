#include "Fonts.h"
#include "Form1.h"
#include "PicturesFrm.h"
#include "PrintProgram.h"
#include "PrintSchedule.h"
#include "QtMousePointer.h"
#include "SystemClock.h"
#include "TextForm.h"

#include <QApplication>
#include <cstdio>

using namespace quillset;

int main(int argc, char** argv) {
    UseOffscreenPlatformWhenHeadless(argc, argv);
    QApplication app(argc, argv);
    const PrintCommandLine command = ParsePrintCommandLine(app.arguments());
    if (!command.error.isEmpty()) {
        std::fprintf(stderr, "movie: %s\n", qPrintable(command.error));
        return 2;
    }
    InstallFontSubstitutions();

    SystemClock clock;
    PicturesFrm pictures;
    TextForm textForm;
    QtMousePointer pointer;
    const std::unique_ptr<Dialogs> dialogs = MakeDialogsForPrintRun();
    PrintJobServices services{
        MakePrinterPageFactory(command.options, QStringLiteral("movie"), kMovieTitle, clock),
        pictures,
        pointer,
        *dialogs,
        clock,
        kMovieTitle};

    PrintJobResult lastResult;
    Form1Actions actions;
    actions.dialogs = dialogs.get();
    actions.printSchedule = [&](const ScheduleContents& contents) {
        lastResult = PrintSchedule(services, textForm, contents);
    };
    actions.endProgram = [] { QCoreApplication::exit(0); };
    Form1 form(StartingSchedule(), actions);

    if (command.printOnly) {
        form.Command4_Click();
        if (!lastResult.sent)
            std::fprintf(stderr, "movie: the schedule was not printed: %s\n",
                         qPrintable(lastResult.failure));
        return lastResult.sent ? 0 : 1;
    }
    form.show();
    return app.exec();
}
