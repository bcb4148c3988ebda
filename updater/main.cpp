// TLUPDATER: brings the module named on the command line up to date from the update server.
#include "AgentTitle.h"
#include "DialogsForEnvironment.h"
#include "InternetTransfer.h"
#include "Local.h"
#include "QtMousePointer.h"
#include "SignalCleanup.h"
#include "UnattendedDialogs.h"
#include "WinMain.h"
#include "tlupdater_stored_values.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char* argv[]) {
    using namespace quillset;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kAgentTitle));
    InstallSignalCleanup();
    const bool unattended = unattendedMode();

    const std::unique_ptr<Dialogs> dialogs = MakeDialogsForEnvironment();
    QtMousePointer pointer;
    InternetTransfer transfer;
    WinMain window(*dialogs, pointer, transfer,
                   StoredValues{QString::fromLatin1(kStoredUpdateAddress),
                                QString::fromLatin1(kStoredArchivePassword)},
                   unattended ? stdout : nullptr);
    window.agent().setCloseWhenUpToDate(unattended);

    // The arguments as one text, the way the starting program wrote its command line.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!window.Form_Load(arguments.join(QLatin1Char(' '))))
        return 0;
    window.show();
    return app.exec();
}
