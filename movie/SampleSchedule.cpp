#include "movie/ScheduleContents.h"

#include "graphics/PictureLoader.h"
#include "platform/WindowsPath.h"

namespace quillset {

namespace {

Picture SamplePicture(const char16_t* windowsPath) {
    return LoadPicture(ResolveWindowsPath(QString::fromUtf16(windowsPath))).valueOr(Picture());
}

} // namespace

ScheduleContents SampleScheduleTexts() {
    ScheduleContents contents;
    contents.day = QStringLiteral("Sunday Movie");
    contents.title = QStringLiteral("The Keeper of the Northern Light");
    contents.rated = QStringLiteral("PG13");
    contents.description1 = QStringLiteral(
        "A retired lighthouse keeper and his restless granddaughter spend one stormy winter on a "
        "rocky island off the northern coast. When a battered fishing boat washes ashore with no "
        "crew aboard, the two of them follow a trail of old letters, faded charts and "
        "half-remembered songs that leads back to the night her parents vanished at sea. Warm, "
        "funny and quietly suspenseful, this family drama celebrates the stubborn hope that "
        "keeps a light burning long after everyone else has gone home.\r\n");
    contents.description2 = QStringLiteral(
        "Filmed over three summers in the high meadows of the Alps, this documentary follows a "
        "young shepherd, her grandfather and four hundred sheep on their long walk from the "
        "valley to the summer pastures and back again. With wide mountain photography, a score "
        "played on old village instruments and almost no spoken words, the film lets the seasons "
        "tell the story of a way of life that has hardly changed in a thousand years. A calm, "
        "beautiful film for the whole family.\r\n");
    contents.showTimes = {QStringLiteral("16:00"), QStringLiteral("18:00"),
                          QStringLiteral("20:00")};
    return contents;
}

ScheduleContents StartingSchedule() {
    ScheduleContents contents = SampleScheduleTexts();
    contents.picture1 = SamplePicture(u"C:\\QSET_DEMOS\\FORMATED TEXT\\SAMPLE1.BMP");
    contents.picture2 = SamplePicture(u"C:\\QSET_DEMOS\\FORMATED TEXT\\SAMPLE2.BMP");
    return contents;
}

} // namespace quillset
