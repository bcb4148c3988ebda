#include "tests/support/DesktopSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QThread>

namespace quillset::test {

namespace {

constexpr int kStartMs = 10000;

// Reads standard output until a whole first line is there; empty when none comes in time.
QString FirstLine(QProcess& process) {
    QByteArray out;
    const QDeadlineTimer deadline(kStartMs);
    while (!out.contains('\n') && !deadline.hasExpired() && process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
        out += process.readAllStandardOutput();
    }
    return QString::fromUtf8(out.left(out.indexOf('\n'))).trimmed();
}

} // namespace

bool DesktopSession::start(QProcess& process, const QString& program,
                           const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : this->environment())
        environment.insert(name, value);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(kStartMs)) {
        why = program.toStdString() + " does not start";
        return false;
    }
    return true;
}

DesktopSession::DesktopSession(bool withNotifications, const QString& busSocket) {
    // Xvfb picks a free display and writes its number once it takes connections.
    if (!start(xvfb_, "Xvfb",
               {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"}))
        return;
    const QString number = FirstLine(xvfb_);
    if (number.isEmpty()) {
        why = "Xvfb gave no display";
        return;
    }
    display_ = ":" + number;
    QStringList busArguments{"--session", "--nofork", "--print-address=1"};
    if (!busSocket.isEmpty())
        busArguments << "--address=unix:path=" + busSocket;
    if (!start(bus_, "dbus-daemon", busArguments))
        return;
    busAddress_ = FirstLine(bus_);
    if (busAddress_.isEmpty()) {
        why = "dbus-daemon gave no address";
        return;
    }
    if (!withNotifications)
        return;
    if (!start(monitor_, "dbus-monitor",
               {"--address", busAddress_,
                "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"}))
        return;
    if (!start(dunst_, "dunst", {}))
        return;
    // Ready when dunst owns the service's name on the bus, and the monitor has begun.
    const QString connection = "desktop-session-" + number;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(busAddress_, connection);
        const QDeadlineTimer deadline(kStartMs);
        while (!deadline.hasExpired() &&
               !(bus.isConnected() &&
                 bus.interface()->isServiceRegistered("org.freedesktop.Notifications")))
            QThread::msleep(50);
        if (!bus.isConnected() ||
            !bus.interface()->isServiceRegistered("org.freedesktop.Notifications"))
            why = "dunst did not take the notification service";
    }
    QDBusConnection::disconnectFromBus(connection);
    monitor_.waitForReadyRead(kStartMs);
    monitored_ += QString::fromUtf8(monitor_.readAllStandardOutput());
}

DesktopSession::~DesktopSession() {
    for (QProcess* process : {&monitor_, &dunst_, &bus_, &xvfb_}) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished();
        }
    }
}

std::vector<std::pair<QString, QString>> DesktopSession::environment() const {
    std::vector<std::pair<QString, QString>> variables;
    if (!display_.isEmpty())
        variables.emplace_back("DISPLAY", display_);
    if (!busAddress_.isEmpty())
        variables.emplace_back("DBUS_SESSION_BUS_ADDRESS", busAddress_);
    return variables;
}

QString DesktopSession::notifyCalls(int count) {
    // A call is whole once its last argument, the time-out (int32), has been printed.
    const auto whole = [&] {
        const qsizetype last = monitored_.lastIndexOf("member=Notify");
        return monitored_.count("member=Notify") >= count && last >= 0 &&
               monitored_.indexOf("\n   int32 ", last) >= 0;
    };
    const QDeadlineTimer deadline(kStartMs);
    while (!whole() && !deadline.hasExpired()) {
        monitor_.waitForReadyRead(100);
        monitored_ += QString::fromUtf8(monitor_.readAllStandardOutput());
    }
    return monitored_;
}

int DesktopSession::shownNotifications(int count) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : this->environment())
        environment.insert(name, value);
    const QDeadlineTimer deadline(kStartMs);
    int shown = -1;
    do {
        QProcess dunstctl;
        dunstctl.setProcessEnvironment(environment);
        dunstctl.start("dunstctl", {"count", "displayed"});
        dunstctl.waitForFinished(kStartMs);
        bool number = false;
        shown = QString::fromUtf8(dunstctl.readAllStandardOutput()).trimmed().toInt(&number);
        if (!number)
            shown = -1;
        if (shown >= count)
            break;
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return shown;
}

} // namespace quillset::test
