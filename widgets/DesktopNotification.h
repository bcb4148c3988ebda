#pragma once

#include <QString>

namespace quillset {

// A notice for the desktop's notification area (the freedesktop Notifications service).
struct DesktopNotification {
    QString program;      // "quotation": the application name shown with it
    QString desktopEntry; // "org.quillset.quotation": the icon and the menu entry it belongs to
    QString summary;      // one line
    QString body;         // plain text, lines separated by line feeds
};

// Hands the notice to the notification service on the session bus and returns without waiting
// for the service's answer. Only a session bus that exists is used (DBUS_SESSION_BUS_ADDRESS, or
// the user's runtime folder's bus): none is ever started for it. Where there is none, or no
// service, nothing happens.
void SendDesktopNotification(const DesktopNotification& notification);

} // namespace quillset
