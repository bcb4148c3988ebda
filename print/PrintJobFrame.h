#pragma once

#include "print/PrintSurface.h"

#include <QString>
#include <functional>
#include <memory>

namespace quillset {

class Clock;
class Dialogs;
struct FailureRecord;
class MousePointer;
class Picture;
class PicturesFrm;

// Opens the page a job prints on; called once per job, inside the job's error trap. The page is
// shared so that whoever opened it (a test, say) can still read it after the job.
using PageFactory = std::function<std::shared_ptr<PrintSurface>()>;

// What every print job of a program shares: where its page comes from, the hidden picture
// holder, the pointer, the dialogs, the clock of the footer, the title of its message box, the
// names its failures are logged under, and who else hears of a failure.
struct PrintJobServices {
    PageFactory openPage;
    PicturesFrm& pictures;
    MousePointer& pointer;
    Dialogs& dialogs;
    const Clock& clock;
    QString applicationTitle;
    QString programName;  // "quotation": the failure log's name
    QString documentName; // "letter": what the log says was not printed
    // Besides standard error and the log, where a failure is told (the desktop's notifications
    // for a window); nowhere when empty.
    std::function<void(const FailureRecord&)> tellFailure = {};
};

// What differs between the jobs that follow the frame.
struct PrintJobLayout {
    bool deviceSettingOne = false; // the schedule job applies a second device setting
    float footerY = 0;             // the footer line, in twips
};

struct PrintJobResult {
    bool sent = false;
    QString failure;      // why the job was abandoned, empty when sent
    QString documentFile; // the full path of the file the page went to, empty for a queue
};

// The frame of every print job: hourglass, page settings, the job's content, footer, end of
// document, slots destroyed, arrow and the " page(s) sent to printer" message, with the file's
// full path on a second line when the page went to a file. Any failure inside goes to the job's
// error handler: arrow pointer, document aborted, no message box; the reason goes to standard
// error, the failure log and tellFailure. The handler also destroys the job's picture slots and
// unloads the holder, so the next job starts from slot 1.
PrintJobResult RunPrintJob(PrintJobServices& services, const PrintJobLayout& layout,
                           const std::function<void(PrintSurface& page)>& content);

// A picture read from a fixed file (a Windows-style path) and the rectangle it fills on the page.
struct PictureFilePlacement {
    const char16_t* windowsPath;
    float x, y;
    std::int16_t width, height;
};

// Creates the next DocImg slot, loads the picture file into it and draws it scaled into its
// rectangle. Throws PrintFailure when the file cannot be loaded.
void PlacePictureFile(PrintSurface& page, PicturesFrm& pictures,
                      const PictureFilePlacement& placement);
// The same for a picture at hand (from a form's picture box or a text canvas).
void PlacePicture(PrintSurface& page, PicturesFrm& pictures, const Picture& picture, float x,
                  float y, std::int16_t width, std::int16_t height);

constexpr std::int32_t kPageWidth = 12189;
constexpr std::int32_t kPageHeight = 15874;

} // namespace quillset
