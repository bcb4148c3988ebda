#include "tests/support/FrameServices.h"

#include "print/PageSink.h"
#include "print/PrinterPage.h"

namespace quillset::test {

FrameServices::FrameServices(const QString& title, const QString& program, const QString& document)
    : services{[this] {
                   pages.push_back(std::make_shared<RecordingSurface>());
                   return pages.back();
               },
               pictures,
               pointer,
               dialogs,
               clock,
               title,
               program,
               document} {}

void FrameServices::printIntoPdf(const QString& pdf) {
    services.openPage = [pdf, title = services.applicationTitle] {
        return std::make_shared<PrinterPage>(MakePageSink({{}, pdf, false}, title), title);
    };
}

const RecordingSurface& FrameServices::lastPage() const {
    return *pages.back();
}

bool FrameServices::lastPageHas(RecordingSurface::Kind kind) const {
    for (const auto& op : lastPage().operations())
        if (op.kind == kind)
            return true;
    return false;
}

} // namespace quillset::test
