#include "print/PrintWindow.h"

#include "graphics/Fonts.h"
#include "platform/FailureLog.h"
#include "widgets/DesktopNotification.h"
#include "widgets/DialogsForEnvironment.h"
#include "widgets/QtMousePointer.h"

#include <QApplication>
#include <QWidget>

namespace quillset {

void NotifyPrintFailure(const FailureRecord& record) {
    SendDesktopNotification({record.program, QStringLiteral("org.quillset.") + record.program,
                             QStringLiteral("The %1 was not printed").arg(record.subject),
                             record.reason.simplified() + QStringLiteral("\nDetails in ") +
                                 QString::fromStdString(FailureLogFile(record.program).string())});
}

int RunPrintWindow(int argc, char** argv, const PrintProgramParts& parts,
                   const MakeWindow& makeWindow) {
    Result<PrintCommandLine> command =
        ParsePrintCommandLine(std::vector<std::string>(argv, argv + argc));
    if (!command)
        return RefuseCommandLine(parts.programName, command.reason());
    // The desktop groups the window with its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillset.") +
                                        QString::fromStdString(parts.programName));
    ToolkitCommandLine toolkit(argc > 0 ? argv[0] : parts.programName.c_str(),
                               std::move(command->toolkitArguments));
    QApplication app(toolkit.argc(), toolkit.argv());
    if (const QString unknown = toolkit.leftOver(); !unknown.isEmpty())
        return RefuseCommandLine(parts.programName, QStringLiteral("unknown argument ") + unknown);
    InstallFontSubstitutions();
    QtMousePointer pointer;
    const std::unique_ptr<Dialogs> dialogs = MakeDialogsForEnvironment();
    ProgramJobs jobs(parts, command->options, pointer, *dialogs);
    // A user who started the window from the menu sees neither standard error nor the log.
    jobs.services.tellFailure = NotifyPrintFailure;
    const std::unique_ptr<QWidget> window = makeWindow(jobs.services, *dialogs);
    window->show();
    return app.exec();
}

} // namespace quillset
