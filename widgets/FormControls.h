#pragma once

class QLabel;
class QPushButton;
class QWidget;

namespace quillset {

// Places a control at its design position and size, given in twips.
void PlaceInTwips(QWidget* control, int left, int top, int width, int height);

// A caption at its design position, with at least its design size: when its text in the font it
// is shown in needs more room than the design gave it (the substituted faces are wider than the
// originals), it grows to the right and downwards instead of clipping the text.
void PlaceLabelInTwips(QLabel* label, int left, int top, int width, int height);

// The window's default button: it has the focus when the window opens, and whenever it has the
// focus it shows it, as buttons do once the user has moved the focus with the keyboard.
void MakeDefaultButton(QPushButton* button);

} // namespace quillset
