#pragma once

#include "movie/ScheduleContents.h"
#include "print/PrintJobFrame.h"

namespace quillset {

class TextForm;

// The title of the program's message boxes, after the program as the family names them.
inline const QString kMovieTitle = QStringLiteral("MOVIE");

// Prints the schedule page through the print-job frame: the three decorative pictures, the
// form's two pictures, headings, title, rating, weekday, show times, the two descriptions set on
// text canvases, and the footer. The canvases are the job's own: whatever the outcome, none is
// left when it returns.
PrintJobResult PrintSchedule(PrintJobServices& services, TextForm& textForm,
                             const ScheduleContents& contents);

// The schedule's content on the page, between the frame's page settings and its footer. A
// description that stops short is logged under the job's names and the job goes on.
void DrawSchedule(PrintSurface& page, PrintJobServices& services, TextForm& textForm,
                  const ScheduleContents& contents);

} // namespace quillset
