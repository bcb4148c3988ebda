#include "Fonts.h"
#include "Form1.h"
#include "PicturesFrm.h"
#include "PrintProgram.h"
#include "QtMousePointer.h"
#include "SystemClock.h"

#include <QApplication>
#include <cstdio>

using namespace quillset;

int main(int argc, char** argv) {
    UseOffscreenPlatformWhenHeadless(argc, argv);
    if (IsPrintRun(argc, argv))
        KeepStandardErrorForTheOutcome();
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform ...) out of the arguments by now.
    const PrintCommandLine command = ParsePrintCommandLine(app.arguments());
    if (!command.error.isEmpty()) {
        std::fprintf(stderr, "quotation: %s\n", qPrintable(command.error));
        return 2;
    }
    InstallFontSubstitutions();

    SystemClock clock;
    PicturesFrm pictures;
    QtMousePointer pointer;
    const std::unique_ptr<Dialogs> dialogs = MakeDialogsForPrintRun();
    PrintJobServices services{MakePrinterPageFactory(command.options, QStringLiteral("quotation"),
                                                     kQuotationTitle, clock),
                              pictures,
                              pointer,
                              *dialogs,
                              clock,
                              kQuotationTitle};
    Form1 form(services);
    if (command.printOnly) {
        form.Command1_Click();
        const PrintJobResult& result = form.LastResult();
        if (!result.sent)
            std::fprintf(stderr, "quotation: the letter was not printed: %s\n",
                         qPrintable(result.failure));
        return result.sent ? 0 : 1;
    }
    form.show();
    return app.exec();
}
