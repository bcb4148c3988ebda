#include "tests/support/FormChecks.h"

#include <QApplication>
#include <QLabel>
#include <QStyleOptionButton>
#include <QTest>

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

void HoldKey(Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats) {
    // Each event goes where the focus is at that moment, as a keyboard's would, with the text the
    // key types: a control that takes the text keeps the key from the window.
    const char typed = QTest::keyToAscii(key);
    const QString text = typed ? QString(QChar::fromLatin1(typed)) : QString();
    const auto send = [&](bool press, bool repeat) {
        if (QWidget* focus = QApplication::focusWidget())
            QTest::simulateEvent(focus, press, key, modifiers, text, repeat);
    };
    send(true, false);
    for (int i = 0; i < repeats; ++i) {
        send(false, true);
        send(true, true);
    }
    send(false, false);
}

} // namespace quillset::test
