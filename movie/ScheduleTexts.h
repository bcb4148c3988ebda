#pragma once

#include "movie/ScheduleContents.h"
#include "print/PrintSurface.h"

namespace quillset {

// The schedule's text elements on the page, in page order: the headings "Schedule:" and "Rated",
// the title, the rating, the weekday and the show times.
void PrintScheduleTexts(PrintSurface& page, const ScheduleContents& contents);

// The show times one under the other from the list's first item, spaced by the page's font size
// as it reads back.
void PrintShowTimes(PrintSurface& page, const QStringList& showTimes);

} // namespace quillset
