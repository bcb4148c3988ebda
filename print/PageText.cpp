#include "print/PageText.h"

namespace quillset {

void PrintTextAt(PrintSurface& page, float x, float y, OleColor color, const QString& fontName,
                 float fontSize, const QString& text) {
    page.SetCurrentX(x);
    page.SetCurrentY(y);
    page.SetForeColor(color);
    page.SetFontName(fontName);
    page.SetFontSize(fontSize);
    page.PrintText(text);
}

void PrintListItems(PrintSurface& page, float left, float top, int count,
                    const std::function<QString(int index)>& item) {
    const QString face = QStringLiteral("MS Sans Serif");
    constexpr float kSize = 8.25f;
    page.SetCurrentX(left);
    page.SetCurrentY(top);
    float y = top;
    page.SetForeColor(kWindowTextColor);
    page.SetFontName(face);
    page.SetFontSize(kSize);
    for (int i = 0; i < count; ++i) {
        page.SetCurrentX(left);
        page.SetCurrentY(y);
        y = y + 22 * page.FontSize();
        page.SetForeColor(kWindowTextColor);
        page.SetFontName(face);
        page.SetFontSize(kSize);
        page.PrintText(item(i));
    }
}

} // namespace quillset
