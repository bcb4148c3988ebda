// TLUPDATER: brings the module named on the command line up to date from the update server.
#include "platform/AgentTitle.h"
#include "platform/ProgramAbout.h"
#include "platform/SignalCleanup.h"
#include "platform/UnattendedDialogs.h"
#include "tlupdater_signing_key.h"
#include "tlupdater_stored_values.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "updater/WinMain.h"
#include "widgets/DialogsForEnvironment.h"
#include "widgets/FormControls.h"
#include "widgets/QtMousePointer.h"

#include <QApplication>
#include <QStringList>

namespace {

const char kUsage[] =
    "Usage: TLUPDATER MODULE VERSION FOLDER\n"
    "Brings MODULE, installed at VERSION in FOLDER, up to date from the update server: when the\n"
    "server has a newer version, downloads and unpacks it into FOLDER and starts MODULE.EXE.\n"
    "A space inside FOLDER is written as %. Started by the module's own program.\n\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

// The limits this build was made with: test builds shorten the waits, the version file's time
// limit alone or the archive bound (tlupdater_executable), everything else keeps the agent's own.
quillset::AgentTransferLimits BuiltTransferLimits() {
#ifdef TLUPDATER_WAIT_SECONDS
    auto limits =
        quillset::AgentTransferLimits::withWaits(std::chrono::seconds(TLUPDATER_WAIT_SECONDS));
#else
    quillset::AgentTransferLimits limits;
#endif
#ifdef TLUPDATER_VERSION_FILE_SECONDS
    limits.versionFile.totalTime = std::chrono::seconds(TLUPDATER_VERSION_FILE_SECONDS);
#endif
#ifdef TLUPDATER_ARCHIVE_LIMIT_BYTES
    limits.archive.maxBytes = TLUPDATER_ARCHIVE_LIMIT_BYTES;
#endif
    return limits;
}

// How long an unattended agent waits for another agent's update of the same module: ten
// minutes, which test builds shorten (tlupdater_executable's LOCK_WAIT_SECONDS).
std::chrono::seconds BuiltLockWaitLimit() {
#ifdef TLUPDATER_LOCK_WAIT_SECONDS
    return std::chrono::seconds(TLUPDATER_LOCK_WAIT_SECONDS);
#else
    return std::chrono::minutes(10);
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace quillset;
    // Alone on the command line only: everything else is the starting program's three fields.
    if (argc == 2 && AnswerAbout(argv[1], {"TLUPDATER", kUsage}))
        return 0;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(kAgentTitle));
    // No menu entry starts the agent, but the desktop still names and draws its window by these.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.quillset.tlupdater"));
    QApplication::setWindowIcon(InstalledIcon(QStringLiteral("org.quillset.tlupdater")));
    InstallSignalCleanup();
    const bool unattended = UnattendedMode();

    const std::unique_ptr<Dialogs> dialogs = MakeDialogsForEnvironment();
    QtMousePointer pointer;
    InternetTransfer transfer;
    WinMain window(*dialogs, pointer, transfer,
                   StoredValues{QString::fromLatin1(kStoredUpdateAddress),
                                QString::fromLatin1(kStoredArchivePassword)},
                   unattended ? stdout : nullptr);
    window.agent().setCloseWhenUpToDate(unattended);
    if (unattended)
        window.agent().setLockWaitLimit(BuiltLockWaitLimit());
    window.agent().setTransferLimits(BuiltTransferLimits());
    window.agent().setSigningKey(kSigningPublicKey);
#ifdef TLUPDATER_START_DELAY_MS
    window.Timer().setInterval(TLUPDATER_START_DELAY_MS);
#endif

    // The arguments as one text, the way the starting program wrote its command line.
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!window.Form_Load(arguments.join(QLatin1Char(' '))))
        return 0;
    window.show();
    return app.exec();
}
