#include "FormControls.h"

#include "Twips.h"

#include <QLabel>
#include <QPushButton>

namespace quillset {

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
    button->setFocus();
    // Styles draw the focus frame only after a keyboard focus change; the window starts as if
    // there had been one, so the focused default button is visible from the start.
    button->window()->setAttribute(Qt::WA_KeyboardFocusChange);
}

} // namespace quillset
