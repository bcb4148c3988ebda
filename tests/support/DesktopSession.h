#pragma once

#include <QProcess>
#include <QString>
#include <string>
#include <utility>
#include <vector>

namespace quillset::test {

// A desktop of a test's own: an X server (Xvfb), a session bus (dbus-daemon; listening at the
// socket `busSocket` when one is named) and, when asked, the notification daemon dunst on both,
// with dbus-monitor recording every Notify call. All end with the object. When a part cannot
// start, ok() is false and `why` says which.
class DesktopSession {
public:
    explicit DesktopSession(bool withNotifications, const QString& busSocket = {});
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool ok() const { return why.empty(); }
    std::string why;

    QString display() const { return display_; }
    QString busAddress() const { return busAddress_; }
    // The variables a program started on this desktop needs.
    std::vector<std::pair<QString, QString>> environment() const;

    // The Notify calls seen so far, as dbus-monitor prints them, once at least `count` whole
    // calls have been seen or after ten seconds.
    QString notifyCalls(int count = 1);
    // How many notifications the daemon shows (dunstctl), once it shows `count` or after ten
    // seconds.
    int shownNotifications(int count = 1) const;

private:
    bool start(QProcess& process, const QString& program, const QStringList& arguments);

    QProcess xvfb_, bus_, dunst_, monitor_;
    QString display_, busAddress_, monitored_;
};

} // namespace quillset::test
