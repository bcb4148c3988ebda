#pragma once

#include "print/PrintDestination.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace quillset {

// Where a finished page goes. The page is rendered into memory first, so a sink gets the whole
// document at once and checks every byte it hands on; the printer page itself only paints.
class PageSink {
public:
    virtual ~PageSink() = default;

    // Makes sure, before anything is drawn, that the destination can take a page, and holds on
    // to it. Throws PrintFailure.
    virtual void open() = 0;
    // Hands the complete document over. Throws PrintFailure when any of it cannot be delivered;
    // a file that was there before then keeps its contents.
    virtual void deliver(const QByteArray& pdf) = 0;
    // Lets go of the destination without delivering anything.
    virtual void discard() = 0;
    // After delivery: the full path of the file the page went to, empty for a printer queue.
    virtual QString deliveredTo() const = 0;
};

// A PDF-file sink for a file destination, a CUPS-queue sink for a named queue.
std::unique_ptr<PageSink> MakePageSink(const PrintDestination& destination,
                                       const QString& documentTitle);

} // namespace quillset
