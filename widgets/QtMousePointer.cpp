#include "widgets/QtMousePointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace quillset {

void QtMousePointer::setShape(PointerShape shape) {
    shape_ = shape;
    if (!qGuiApp)
        return;
    if (shape == PointerShape::Hourglass) {
        if (overridden_)
            QGuiApplication::changeOverrideCursor(Qt::WaitCursor);
        else
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        overridden_ = true;
    } else if (overridden_) {
        QGuiApplication::restoreOverrideCursor();
        overridden_ = false;
    }
}

} // namespace quillset
