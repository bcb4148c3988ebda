#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QSet>

class QKeyEvent;

namespace quillset {

// A key held down acts once, however long it is held. A press acts when it presses a button
// (Return, Enter, Space, Select on a button; Return or Enter anywhere in a dialog, whose default
// button takes it) or is one of the windows' shortcuts. From that press until the key is released,
// its repeats reach no control and fire no shortcut, in any window of the program: neither the
// message box the press opened nor, once that has closed, the window behind it.
//
// A repeat is known when Qt marks it, and also when it does not: on X11 a repeat comes as a
// release and a press of one key at the same instant, and Qt marks the pair only when both are
// queued together for one window; a box that opens or closes between them leaves them unmarked.
class HeldKeys : public QObject {
public:
    // The application's one filter, made with the first call; `shortcut` acts as well from now on.
    static void actOnceWhileHeld(QKeyCombination shortcut);

    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    using QObject::QObject;

    bool isRepeat(const QKeyEvent& key) const;
    bool press(QObject* receiver, QKeyEvent& key, bool shortcutOverride);
    void release(const QKeyEvent& key);

    QSet<int> shortcuts_;
    QSet<int> held_;
    // The last release of a held key, and the shortcut press whose key event may still follow.
    int releasedKey_ = 0;
    quint64 releasedAt_ = 0;
    int shortcutKey_ = 0;
    quint64 shortcutAt_ = 0;
};

} // namespace quillset
