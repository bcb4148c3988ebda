#pragma once

#include "platform/MousePointer.h"
#include "platform/ScriptedDialogs.h"
#include "platform/SystemClock.h"
#include "print/PicturesFrm.h"
#include "print/PrintJobFrame.h"
#include "print/RecordingSurface.h"

#include <QDateTime>
#include <memory>
#include <vector>

namespace quillset::test {

// A clock that always tells one moment, so a printed footer's date is known.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime time) : time_(std::move(time)) {}
    QDateTime now() const override { return time_; }

private:
    QDateTime time_;
};

// Everything a print job needs, with a recording page per job kept for reading back; by default
// for the quotation letter.
struct FrameServices {
    explicit FrameServices(const QString& title = QStringLiteral("QUOTATION"),
                           const QString& program = QStringLiteral("quotation"),
                           const QString& document = QStringLiteral("letter"));

    ScriptedDialogs dialogs;
    RememberedMousePointer pointer;
    FixedClock clock{QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9))};
    PicturesFrm pictures;
    std::vector<std::shared_ptr<RecordingSurface>> pages;
    PrintJobServices services;

    // From now on the jobs print on the real page into the PDF file `pdf` instead.
    void printIntoPdf(const QString& pdf);
    const RecordingSurface& lastPage() const;
    bool lastPageHas(RecordingSurface::Kind kind) const;
};

} // namespace quillset::test
