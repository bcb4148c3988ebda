#include "widgets/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace quillset {

namespace {

// A connection of our own to the session bus the environment names now, opened at the first
// notice: a bus that was missing when the program started, or that has been started anew, may
// be there by the time something fails.
QDBusConnection NotificationBus() {
    // The address is read here each time: the bus library would keep the first one it saw.
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    const QString name = QStringLiteral("quillset-notifications ") + address;
    QDBusConnection bus = address.isEmpty()
                              ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)
                              : QDBusConnection::connectToBus(address, name);
    if (!bus.isConnected())
        QDBusConnection::disconnectFromBus(name);
    return bus;
}

} // namespace

void SendDesktopNotification(const DesktopNotification& notification) {
    QDBusConnection bus = NotificationBus();
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
