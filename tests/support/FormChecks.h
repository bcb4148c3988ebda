#pragma once

#include <QKeyEvent>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace quillset::test {

// The captions of a window that cut their text off: text wider or taller than the room its
// label gives it, in the font the label is shown in. Each entry names the label and the sizes.
QStringList ClippedLabels(const QWidget& window);

// Whether a shown window's default button has the focus and the style draws it focused.
bool DefaultButtonShowsFocus(const QPushButton& button);

// How a held key's repeats reach the program: marked as repeats, or (as on X11 when a box opens
// or closes between a release and its press) unmarked, told apart only by their time.
enum class RepeatMarks { Marked, Unmarked };

// A key held down, as a keyboard sends it: one press, `repeats` release and press pairs (each
// pair at one instant, 33 ms apart), and the last release. Each event goes where the focus is at
// that moment and is sent from the event loop, so a box that a press opens takes the repeats that
// follow it. Answers whether a box was still open after the release; it is then closed.
bool HoldKey(Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats,
             RepeatMarks marks = RepeatMarks::Marked);

} // namespace quillset::test
