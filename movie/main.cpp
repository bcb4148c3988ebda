#include "movie/Form1.h"
#include "movie/PrintSchedule.h"
#include "movie/TextForm.h"
#include "print/PrintProgram.h"

#include <QCoreApplication>
#include <QGuiApplication>

using namespace quillset;

int main(int argc, char** argv) {
    // The desktop groups the window with its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillset.movie"));
    TextForm textForm;
    return RunPrintProgram(argc, argv,
                           {"movie", "Prints a movie schedule.", kMovieTitle,
                            QStringLiteral("schedule"),
                            [&](PrintJobServices& services, Dialogs& dialogs) {
                                Form1Actions actions;
                                actions.dialogs = &dialogs;
                                actions.printSchedule = [&](const ScheduleContents& contents) {
                                    PrintSchedule(services, textForm, contents);
                                };
                                actions.endProgram = [] { QCoreApplication::exit(0); };
                                return std::make_unique<Form1>(StartingSchedule(), actions);
                            },
                            [&](PrintJobServices& services) {
                                return PrintSchedule(services, textForm, StartingSchedule());
                            }});
}
