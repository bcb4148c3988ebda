#pragma once

#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyleOptionButton>
#include <QWidget>

namespace quillset::test {

// The captions of a window that cut their text off: text wider or taller than the room its
// label gives it, in the font the label is shown in. Each entry names the label and the sizes.
inline QStringList ClippedLabels(const QWidget& window) {
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

// Whether a shown window's default button has the focus and the style draws it focused.
inline bool DefaultButtonShowsFocus(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    return button.isDefault() && button.hasFocus() && (option.state & QStyle::State_HasFocus) &&
           (option.state & QStyle::State_KeyboardFocusChange);
}

} // namespace quillset::test
