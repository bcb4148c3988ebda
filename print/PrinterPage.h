#pragma once

#include "print/PageSink.h"
#include "print/PainterSurface.h"

#include <QBuffer>
#include <QPainter>
#include <memory>

class QPdfWriter;

namespace quillset {

// The printer page: one document of one page, addressed in twips (the PDF writer runs at 1440
// dpi, so one device unit is one twip). The page only paints: it renders its PDF into memory and
// EndDocument hands the finished bytes to its sink, which knows the destination. Qt's PDF writer
// does not report failed writes, so it never writes to the destination itself.
class PrinterPage : public PainterSurface {
public:
    PrinterPage(std::unique_ptr<PageSink> sink, QString documentTitle);
    ~PrinterPage() override;

    // The device settings of the old printer object have no counterpart in a PDF page.
    void applyDeviceSetting(int) override {}
    void setPrintQuality(int) override {}

    void EndDocument() override;
    void AbortDocument() override;
    QString documentFile() const override { return sink_->deliveredTo(); }

protected:
    void paint(PaintCall call) override { call(activePainter()); }
    QPaintDevice* metricsDevice() const override;
    QFont deviceFont() const override;
    double defaultPenWidth() const override;

private:
    void begin();
    // The painter to draw with; starts the document on first use. Throws PrintFailure.
    QPainter& activePainter();

    std::unique_ptr<PageSink> sink_;
    QString documentTitle_;
    QBuffer pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    bool finished_ = false;
};

} // namespace quillset
