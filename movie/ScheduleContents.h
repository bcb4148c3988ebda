#pragma once

#include "graphics/Picture.h"

#include <QString>
#include <QStringList>

namespace quillset {

// What the schedule form shows when "Print schedule" is pressed: everything the page is made of.
struct ScheduleContents {
    QString day;           // BoxDay
    QString title;         // Title
    QString rated;         // BoxRated
    QString description1;  // Text1, line breaks as CR LF
    QString description2;  // Text2, line breaks as CR LF
    QStringList showTimes; // SList, in list order
    Picture picture1;
    Picture picture2;
};

// The contents the form starts with, without its pictures.
ScheduleContents SampleScheduleTexts();

// The contents the form starts with: the sample texts and the sample bitmaps of the demo folder
// (a sample that cannot be read leaves its box empty).
ScheduleContents StartingSchedule();

} // namespace quillset
