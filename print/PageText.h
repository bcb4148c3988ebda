#pragma once

#include "print/PrintSurface.h"

#include <functional>

namespace quillset {

// One text element of a page: sets CurrentX, CurrentY, ForeColor, FontName and FontSize, in
// that order, then prints the text.
void PrintTextAt(PrintSurface& page, float x, float y, OleColor color, const QString& fontName,
                 float fontSize, const QString& text);

// A list's items one under the other in "MS Sans Serif" 8.25 in the window-text colour, from
// (left, top): each item's line lies 22 twips per point of the page's font size, as read back,
// below the one before (181.5 at 8.25 points). No page break and no bound: a long list runs on
// down the page.
void PrintListItems(PrintSurface& page, float left, float top, int count,
                    const std::function<QString(int index)>& item);

} // namespace quillset
