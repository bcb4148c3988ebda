#include "widgets/HeldKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPointer>

namespace quillset {

namespace {

bool PressesAButton(QObject* receiver, const QKeyEvent& key) {
    auto* widget = qobject_cast<QWidget*>(receiver);
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return qobject_cast<QAbstractButton*>(widget) ||
               (widget && qobject_cast<QDialog*>(widget->window()));
    case Qt::Key_Space:
    case Qt::Key_Select:
        return qobject_cast<QAbstractButton*>(widget);
    default:
        return false;
    }
}

} // namespace

void HeldKeys::actOnceWhileHeld(QKeyCombination shortcut) {
    // Owned by the application object, and gone with it.
    static QPointer<HeldKeys> filter;
    if (!filter) {
        filter = new HeldKeys(qApp);
        qApp->installEventFilter(filter);
    }
    filter->shortcuts_.insert(shortcut.toCombined());
}

bool HeldKeys::eventFilter(QObject* receiver, QEvent* event) {
    switch (event->type()) {
    case QEvent::ApplicationStateChange:
        // A key released while another program had the keyboard is never seen released here.
        if (QGuiApplication::applicationState() != Qt::ApplicationActive)
            held_.clear();
        return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        break;
    default:
        return false;
    }
    // One key event passes the window and each control it is offered to; it is judged once,
    // where the focus is.
    if (receiver != QGuiApplication::focusObject())
        return false;
    auto& key = static_cast<QKeyEvent&>(*event);
    if (event->type() == QEvent::KeyRelease) {
        release(key);
        return false;
    }
    return press(receiver, key, event->type() == QEvent::ShortcutOverride);
}

bool HeldKeys::isRepeat(const QKeyEvent& key) const {
    if (held_.contains(key.key()))
        return true;
    // A synthetic event carries no time, so only a real one can pair with the release.
    return key.timestamp() != 0 && key.key() == releasedKey_ && key.timestamp() == releasedAt_;
}

bool HeldKeys::press(QObject* receiver, QKeyEvent& key, bool shortcutOverride) {
    const int code = key.key();
    // No shortcut took the press its override announced: the press goes on as it is.
    if (!shortcutOverride && code == shortcutKey_ && key.timestamp() == shortcutAt_) {
        shortcutKey_ = 0;
        return false;
    }
    if (isRepeat(key)) {
        held_.insert(code);
        // Overridden, the shortcut does not fire, and the press that follows is dropped here.
        if (shortcutOverride)
            key.accept();
        return true;
    }
    if (shortcutOverride) {
        // A marked repeat of a shortcut is left to QShortcut, which ignores it.
        if (!shortcuts_.contains(key.keyCombination().toCombined()) || key.isAutoRepeat())
            return false;
        shortcutKey_ = code;
        shortcutAt_ = key.timestamp();
    } else if (!PressesAButton(receiver, key)) {
        return false;
    } else if (key.isAutoRepeat()) {
        // A key held down before it reached the button never presses it.
        return true;
    }
    held_.insert(code);
    return false;
}

void HeldKeys::release(const QKeyEvent& key) {
    if (key.isAutoRepeat() || !held_.remove(key.key()))
        return;
    releasedKey_ = key.key();
    releasedAt_ = key.timestamp();
}

} // namespace quillset
