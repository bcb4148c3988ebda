#include "platform/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

namespace quillset {

namespace {

const QString kConnectionName = QStringLiteral("quillset-notifications");

// A connection of our own, opened at the first notice: a bus that was missing when the program
// started may be there by the time something fails.
QDBusConnection NotificationBus() {
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnectionName);
    if (!bus.isConnected())
        QDBusConnection::disconnectFromBus(kConnectionName);
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
