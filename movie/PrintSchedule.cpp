#include "movie/PrintSchedule.h"

#include "movie/ScheduleTexts.h"
#include "movie/TextForm.h"
#include "platform/FailureLog.h"
#include "print/PicturesFrm.h"
#include "print/TextPrintingModule.h"

#include <array>

namespace quillset {

namespace {

constexpr float kFooterY = 14500;

constexpr PictureFilePlacement kPictureFiles[] = {
    {u"C:\\QSET_DEMOS\\FORMATED TEXT\\IMAGE1.WMF", 615, 585, 1215, 14730},
    {u"C:\\QSET_DEMOS\\FORMATED TEXT\\IMAGE2.WMF", 1912, 1972, 9450, 286},
    {u"C:\\QSET_DEMOS\\FORMATED TEXT\\IMAGE3.WMF", 9908, 652, 1417, 1237},
};

// A description canvas: its font size and size in twips, and where its image goes on the page.
struct DescriptionCanvas {
    float fontSize;
    std::int32_t width, height;
    float x, y;
};

constexpr std::array<DescriptionCanvas, 2> kDescriptionCanvases = {{
    {8.25f, 2370, 5894, 2242, 3218}, // a tall column beside picture 1
    {9.75f, 6180, 3150, 4988, 9622}, // a wide block beside picture 2
}};

void PrintDescriptions(PrintSurface& page, const PrintJobServices& services, TextForm& textForm,
                       const ScheduleContents& contents) {
    // The paragraph texts, entries 1 and 2, filled just before each is printed.
    std::array<QString, 3> paragraphTexts;
    textForm.load();
    for (int k = 1; k <= 2; ++k) {
        const DescriptionCanvas& place = kDescriptionCanvases[k - 1];
        TextAreaCanvas& area = textForm.createTextArea(k);
        paragraphTexts[k] = k == 1 ? contents.description1 : contents.description2;

        PrintSurface& canvas = area.surface();
        canvas.SetFontName(QStringLiteral("Courier New"));
        canvas.SetFontSize(place.fontSize);
        canvas.SetForeColor(kWindowTextColor);
        canvas.SetWidth(place.width);
        canvas.SetHeight(place.height);
        // A description cut short prints as far as it came, as the job goes on; the log says why.
        if (const Result<void> drawn = PrintParagraphs(canvas, paragraphTexts[k], canvas.FontName(),
                                                       canvas.FontSize(), canvas.ForeColor());
            !drawn)
            LogFailure({services.programName, services.documentName,
                        QStringLiteral("description %1").arg(k), drawn.reason()});

        // The text block keeps the size it was drawn at.
        page.DrawPicture(area.image(), place.x, place.y, std::int16_t(canvas.Width()),
                         std::int16_t(canvas.Height()));
    }
}

} // namespace

void DrawSchedule(PrintSurface& page, PrintJobServices& services, TextForm& textForm,
                  const ScheduleContents& contents) {
    PicturesFrm& pictures = services.pictures;
    pictures.load();
    for (const PictureFilePlacement& file : kPictureFiles)
        PlacePictureFile(page, pictures, file);
    PlacePicture(page, pictures, contents.picture1, 4958, 3202, 6240, 5820);
    PlacePicture(page, pictures, contents.picture2, 2272, 9622, 2626, 2144);

    PrintScheduleTexts(page, contents);
    PrintDescriptions(page, services, textForm, contents);
}

PrintJobResult PrintSchedule(PrintJobServices& services, TextForm& textForm,
                             const ScheduleContents& contents) {
    PrintJobLayout layout;
    layout.deviceSettingOne = true;
    layout.footerY = kFooterY;
    const PrintJobResult result = RunPrintJob(services, layout, [&](PrintSurface& page) {
        DrawSchedule(page, services, textForm, contents);
    });
    // A failed job leaves its canvases too; the next one needs the slots free.
    textForm.destroyAllAndUnload();
    return result;
}

} // namespace quillset
