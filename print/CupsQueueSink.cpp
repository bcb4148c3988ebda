#include "print/CupsQueueSink.h"

#include "print/CupsLibrary.h"
#include "print/PrintSurface.h"

namespace quillset {

namespace {

const CupsCalls& Cups() {
    const Result<const CupsCalls*> cups = LoadCups();
    if (!cups)
        throw PrintFailure(cups.reason().toStdString());
    return **cups;
}

} // namespace

CupsQueueSink::CupsQueueSink(QString queueName, QString documentTitle)
    : queueName_(std::move(queueName)), documentTitle_(std::move(documentTitle)) {}

void CupsQueueSink::refused(const char* step, int job) const {
    const CupsCalls& cups = Cups();
    // Read before cancelling, which has an answer of its own.
    const std::string why = cups.lastErrorString();
    if (job != 0)
        cups.cancelJob(CUPS_HTTP_DEFAULT, queueName_.toLocal8Bit().constData(), job, 0);
    throw PrintFailure("the printer \"" + queueName_.toStdString() + "\" refused the job (" + step +
                       "): " + why);
}

void CupsQueueSink::open() {
    const CupsCalls& cups = Cups();
    cups_dest_t* dest =
        cups.getNamedDest(CUPS_HTTP_DEFAULT, queueName_.toLocal8Bit().constData(), nullptr);
    if (!dest)
        throw PrintFailure("there is no printer named \"" + queueName_.toStdString() + "\"");
    cups.freeDests(1, dest);
}

void CupsQueueSink::deliver(const QByteArray& pdf) {
    const CupsCalls& cups = Cups();
    const QByteArray queue = queueName_.toLocal8Bit();
    const QByteArray title = documentTitle_.toLocal8Bit();
    const int job =
        cups.createJob(CUPS_HTTP_DEFAULT, queue.constData(), title.constData(), 0, nullptr);
    if (job == 0)
        refused("create", 0);
    if (cups.startDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, title.constData(),
                           CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE)
        refused("start", job);
    const bool written = cups.writeRequestData(CUPS_HTTP_DEFAULT, pdf.constData(),
                                               size_t(pdf.size())) == HTTP_STATUS_CONTINUE;
    // The request is finished either way; a job the server did not get whole is cancelled.
    const bool finished =
        cups.finishDocument(CUPS_HTTP_DEFAULT, queue.constData()) <= IPP_STATUS_OK_CONFLICTING;
    if (!written || !finished)
        refused(written ? "finish" : "send", job);
}

} // namespace quillset
