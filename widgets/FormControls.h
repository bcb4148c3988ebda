#pragma once

class QIcon;
class QLabel;
class QPushButton;
class QString;
class QWidget;

namespace quillset {

void PlaceWidgetInTwips(QWidget* control, const char* name, int left, int top, int width,
                        int height);

// Gives a control its designer name (its object name) and places it at its design position and
// size, given in twips. Answers the control, so a form can make, name and place it in one line.
template <typename Control>
Control* PlaceInTwips(Control* control, const char* name, int left, int top, int width,
                      int height) {
    PlaceWidgetInTwips(control, name, left, top, width, height);
    return control;
}

// A caption at its design position, with at least its design size: when its text in the font it
// is shown in needs more room than the design gave it (the substituted faces are wider than the
// originals), it grows to the right and downwards instead of clipping the text. A caption in front
// of a control `names` it for screen readers: the label becomes its buddy and the control speaks
// the caption's words, without the closing colon. The caption is unchanged.
QLabel* PlaceLabelInTwips(QLabel* label, const char* name, int left, int top, int width, int height,
                          QWidget* names = nullptr);

// The window's default button: it has the focus when the window opens, and whenever it has the
// focus it shows it, as buttons do once the user has moved the focus with the keyboard.
void MakeDefaultButton(QPushButton* button);

// The keys a form answers, none of them shown on a caption: Tab leaves every text box, a
// multi-line one too, instead of typing a tab; a key held down presses a button once, in the
// form and in the boxes it opens (HeldKeys.h); Ctrl+P presses `print`; Esc and Ctrl+W close the
// window. Called once the controls are placed.
void AddFormKeys(QWidget* form, QPushButton* print);

// Esc and Ctrl+W close the window, as its Close button would; held, they act once.
void AddCloseKeys(QWidget* window);

// The program's icon as installed beside it (share/icons/hicolor under the installation prefix),
// else from the desktop's icon theme; `name` is the icon's name, as in the desktop entry.
QIcon InstalledIcon(const QString& name);

} // namespace quillset
