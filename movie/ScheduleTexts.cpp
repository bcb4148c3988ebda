#include "movie/ScheduleTexts.h"

#include "print/PageText.h"

namespace quillset {

namespace {

const QString kArial = QStringLiteral("Arial");
const QString kSansSerif = QStringLiteral("MS Sans Serif");

} // namespace

void PrintScheduleTexts(PrintSurface& page, const ScheduleContents& contents) {
    PrintTextAt(page, 2302, 12322, kWindowTextColor, kArial, 15, QStringLiteral("Schedule:"));
    PrintTextAt(page, 6758, 14092, kWindowTextColor, kArial, 15, QStringLiteral("Rated"));
    PrintTextAt(page, 2265, 2595, kWindowTextColor, kArial, 21, contents.title);
    PrintTextAt(page, 7778, 13718, kWindowTextColor, kSansSerif, 48.75f, contents.rated);
    PrintTextAt(page, 1988, 998, kWindowTextColor, kSansSerif, 36, contents.day);
    PrintShowTimes(page, contents.showTimes);
}

void PrintShowTimes(PrintSurface& page, const QStringList& showTimes) {
    PrintListItems(page, 2272, 12712, int(showTimes.size()),
                   [&](int i) { return showTimes.at(i); });
}

} // namespace quillset
