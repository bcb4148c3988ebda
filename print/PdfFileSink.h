#pragma once

#include "print/FileOutput.h"
#include "print/PageSink.h"

#include <filesystem>

namespace quillset {

// A page written as a PDF file. A regular file (or none yet) is replaced only by a complete
// document: it is written to a temporary file in the same folder, flushed, renamed over the
// destination and the folder flushed, so a failure at any step leaves the old file as it was.
// A destination that is not a regular file (a device, a FIFO) is written through and never
// replaced. A symbolic link is followed and stays.
class PdfFileSink : public PageSink {
public:
    // A name `chosenForUser` never replaces an existing file: the page takes the next free
    // numbered name instead, which deliveredTo() tells.
    PdfFileSink(QString path, bool chosenForUser);
    ~PdfFileSink() override;

    void open() override;
    void deliver(const QByteArray& pdf) override;
    void discard() override;
    QString deliveredTo() const override { return deliveredTo_; }

private:
    void openWriteThrough();
    void openTemporary();
    void publishTemporary();

    QString path_;
    bool chosenForUser_;
    std::filesystem::path target_; // the destination with its links followed
    bool writeThrough_ = false;
    Fd output_;
    std::filesystem::path temporary_;
    QString deliveredTo_;
};

} // namespace quillset
