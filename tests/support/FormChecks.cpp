#include "tests/support/FormChecks.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace quillset::test {

QStringList ClippedLabels(const QWidget& window) {
    QStringList clipped;
    for (const QLabel* label : window.findChildren<const QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics = label->fontMetrics();
        const QSize needed(metrics.horizontalAdvance(label->text()), metrics.height());
        const QSize room = label->contentsRect().size();
        if (needed.width() > room.width() || needed.height() > room.height())
            clipped << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
                           .arg(label->objectName(), label->text())
                           .arg(needed.width())
                           .arg(needed.height())
                           .arg(room.width())
                           .arg(room.height());
    }
    return clipped;
}

bool DefaultButtonShowsFocus(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    return button.isDefault() && button.hasFocus() && (option.state & QStyle::State_HasFocus) &&
           (option.state & QStyle::State_KeyboardFocusChange);
}

bool HoldKey(Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats, RepeatMarks marks) {
    struct Event {
        QEvent::Type type;
        bool markedRepeat;
        quint64 time;
    };
    // A later hold starts later: two presses never share an instant.
    static quint64 clock = 1000;
    const bool marked = marks == RepeatMarks::Marked;
    std::vector<Event> events{{QEvent::KeyPress, false, clock += 1000}};
    for (int i = 0; i < repeats; ++i, clock += 33)
        events.insert(events.end(), {{QEvent::KeyRelease, marked, clock + 500},
                                     {QEvent::KeyPress, marked, clock + 500}});
    events.push_back({QEvent::KeyRelease, false, clock + 520});

    // The text the key types: a control that takes the text keeps the key from the window.
    const char typed = QTest::keyToAscii(key);
    const QString text = typed ? QString(QChar::fromLatin1(typed)) : QString();
    bool boxOpen = false;
    QEventLoop loop;
    std::function<void(std::size_t)> send = [&](std::size_t next) {
        if (next == events.size()) {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                boxOpen = true;
                box->done(QDialog::Rejected);
            }
            loop.quit();
            return;
        }
        // Scheduled first: a box this event opens runs the event loop until it closes.
        QTimer::singleShot(1, [&send, next] { send(next + 1); });
        const Event& event = events[next];
        QKeyEvent sent(event.type, key, modifiers, text, event.markedRepeat);
        sent.setTimestamp(event.time);
        if (QWidget* focus = QApplication::focusWidget())
            QApplication::sendEvent(focus, &sent);
    };
    QTimer::singleShot(0, [&send] { send(0); });
    loop.exec();
    return boxOpen;
}

} // namespace quillset::test
