#include "ScheduleTexts.h"

namespace quillset {

namespace {

void PrintTextAt(PrintSurface& page, float x, float y, const QString& fontName, float fontSize,
                 const QString& text) {
    page.SetCurrentX(x);
    page.SetCurrentY(y);
    page.SetForeColor(WindowTextColor);
    page.SetFontName(fontName);
    page.SetFontSize(fontSize);
    page.PrintText(text);
}

const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

} // namespace

void PrintScheduleTexts(PrintSurface& page, const ScheduleContents& contents) {
    PrintTextAt(page, 2302, 12322, kArial, 15, QStringLiteral("Schedule:"));
    PrintTextAt(page, 6758, 14092, kArial, 15, QStringLiteral("Rated"));
    PrintTextAt(page, 2265, 2595, kArial, 21, contents.title);
    PrintTextAt(page, 7778, 13718, kSansSerif, 48.75f, contents.rated);
    PrintTextAt(page, 1988, 998, kSansSerif, 36, contents.day);
    PrintShowTimes(page, contents.showTimes);
}

void PrintShowTimes(PrintSurface& page, const QStringList& showTimes) {
    constexpr float kLeft = 2272;
    constexpr float kFontSize = 8.25f;
    float y = 12712;
    page.SetCurrentX(kLeft);
    page.SetCurrentY(y);
    page.SetForeColor(WindowTextColor);
    page.SetFontName(kSansSerif);
    page.SetFontSize(kFontSize);
    for (const QString& time : showTimes) {
        page.SetCurrentX(kLeft);
        page.SetCurrentY(y);
        // 22 twips per point of the size the page really uses: 181.5 at 8.25 points.
        y += 22 * page.FontSize();
        page.SetForeColor(WindowTextColor);
        page.SetFontName(kSansSerif);
        page.SetFontSize(kFontSize);
        page.PrintText(time);
    }
}

} // namespace quillset
