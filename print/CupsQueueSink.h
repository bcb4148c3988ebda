#pragma once

#include "print/PageSink.h"

namespace quillset {

// A page sent as a PDF job to a CUPS queue, streamed from memory; every answer of the print
// server is checked.
class CupsQueueSink : public PageSink {
public:
    CupsQueueSink(QString queueName, QString documentTitle);

    void open() override;
    void deliver(const QByteArray& pdf) override;
    void discard() override {}
    QString deliveredTo() const override { return {}; }

private:
    [[noreturn]] void refused(const char* step, int job) const;

    QString queueName_;
    QString documentTitle_;
};

} // namespace quillset
