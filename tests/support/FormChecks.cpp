#include "tests/support/FormChecks.h"

#include <QLabel>
#include <QStyleOptionButton>

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

} // namespace quillset::test
