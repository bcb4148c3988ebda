#include "widgets/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QFile>
#include <QVariantMap>
#include <sys/stat.h>

namespace quillset {

namespace {

// A value of a D-Bus address: bytes outside the few it may carry as they are become %XX.
QString EscapedAddressValue(const QString& value) {
    QString escaped;
    for (const char byte : value.toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
            QByteArrayView("-_/.\\*").contains(byte))
            escaped += QLatin1Char(byte);
        else
            escaped += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    return escaped;
}

// The session bus that exists now: the one the environment names, else the one at the user's
// runtime folder, else none. Never the bus library's own search, which with a display and no
// address starts a dbus-daemon (and a notification daemon with it) that outlives the program.
QString SessionBusAddress() {
    QStringList named = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").split(QLatin1Char(';'));
    named.removeIf([](const QString& address) {
        return address.isEmpty() || address.startsWith(QLatin1String("autolaunch:"));
    });
    if (!named.isEmpty())
        return named.join(QLatin1Char(';'));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QString socket = runtime + QStringLiteral("/bus");
    struct stat node {};
    if (::stat(QFile::encodeName(socket).constData(), &node) != 0 || !S_ISSOCK(node.st_mode))
        return {};
    return QStringLiteral("unix:path=") + EscapedAddressValue(socket);
}

// A connection of our own to that bus, opened at each notice: a bus that was missing when the
// program started, or that has been started anew, may be there by the time something fails.
QDBusConnection NotificationBus(const QString& address) {
    const QString name = QStringLiteral("quillset-notifications ") + address;
    QDBusConnection bus = QDBusConnection::connectToBus(address, name);
    if (!bus.isConnected())
        QDBusConnection::disconnectFromBus(name);
    return bus;
}

} // namespace

void SendDesktopNotification(const DesktopNotification& notification) {
    const QString address = SessionBusAddress();
    if (address.isEmpty())
        return;
    QDBusConnection bus = NotificationBus(address);
    if (!bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints = {{QStringLiteral("desktop-entry"), notification.desktopEntry},
                               {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    // Servers may read the body as simple markup: a path or a reason must not become a tag.
    notify << notification.program << uint(0) << notification.desktopEntry << notification.summary
           << notification.body.toHtmlEscaped() << QStringList() << hints << int(-1);
    bus.asyncCall(notify);
}

} // namespace quillset
