#include "print/PageSink.h"

#include "print/CupsQueueSink.h"
#include "print/PdfFileSink.h"

namespace quillset {

std::unique_ptr<PageSink> MakePageSink(const PrintDestination& destination,
                                       const QString& documentTitle) {
    if (!destination.printerName.isEmpty())
        return std::make_unique<CupsQueueSink>(destination.printerName, documentTitle);
    return std::make_unique<PdfFileSink>(destination.pdfPath, destination.chosenForUser);
}

} // namespace quillset
