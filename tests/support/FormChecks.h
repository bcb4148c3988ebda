#pragma once

#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace quillset::test {

// The captions of a window that cut their text off: text wider or taller than the room its
// label gives it, in the font the label is shown in. Each entry names the label and the sizes.
QStringList ClippedLabels(const QWidget& window);

// Whether a shown window's default button has the focus and the style draws it focused.
bool DefaultButtonShowsFocus(const QPushButton& button);

// A key held down on the focused control, as a keyboard sends it: one press, `repeats`
// auto-repeated release and press pairs, and the last release.
void HoldKey(Qt::Key key, Qt::KeyboardModifiers modifiers, int repeats);

} // namespace quillset::test
