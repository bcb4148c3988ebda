#include "widgets/FormControls.h"

#include "platform/Twips.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace quillset {

namespace {

// Styles draw a focus frame only when the window's focus last moved by keyboard; Qt clears that
// mark whenever focus arrives any other way (the window opening, a click). The default button
// puts it back each time it receives the focus, so its focus always shows.
class ShowFocusOnArrival : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn)
            static_cast<QWidget*>(watched)->window()->setAttribute(Qt::WA_KeyboardFocusChange);
        return false;
    }
};

} // namespace

void PlaceInTwips(QWidget* control, int left, int top, int width, int height) {
    control->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                         TwipsToPixels(height));
}

void PlaceLabelInTwips(QLabel* label, int left, int top, int width, int height) {
    PlaceInTwips(label, left, top, width, height);
    label->resize(label->size().expandedTo(label->sizeHint()));
}

void MakeDefaultButton(QPushButton* button) {
    button->setDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(new ShowFocusOnArrival(button));
    button->setFocus();
}

} // namespace quillset
