#pragma once

#include "platform/QtMousePointer.h"
#include "platform/ScriptedDialogs.h"
#include "platform/SystemClock.h"
#include "print/PicturesFrm.h"
#include "print/PrintJobFrame.h"
#include "print/RecordingSurface.h"

#include <QDateTime>
#include <memory>
#include <vector>

namespace quillset::test {

// Everything a print job needs, with a recording page per job kept for reading back.
struct FrameServices {
    ScriptedDialogs dialogs;
    RememberedMousePointer pointer;
    FixedClock clock{QDateTime(QDate(2024, 3, 7), QTime(14, 5, 9))};
    PicturesFrm pictures;
    std::vector<std::shared_ptr<RecordingSurface>> pages;
    PrintJobServices services{[this] {
                                  pages.push_back(std::make_shared<RecordingSurface>());
                                  return pages.back();
                              },
                              pictures,
                              pointer,
                              dialogs,
                              clock,
                              QStringLiteral("QUOTATION"),
                              QStringLiteral("quotation"),
                              QStringLiteral("letter")};

    const RecordingSurface& lastPage() const;
    bool lastPageHas(RecordingSurface::Kind kind) const;
};

} // namespace quillset::test
