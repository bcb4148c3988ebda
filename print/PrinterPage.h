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
    void ApplyDeviceSetting(int) override {}
    void SetPrintQuality(int) override {}

    void EndDocument() override;
    void AbortDocument() override;
    QString DocumentFile() const override { return sink_->DeliveredTo(); }

protected:
    QPainter& ActivePainter() override;
    QPaintDevice* MetricsDevice() const override;
    QFont DeviceFont() const override;
    double DefaultPenWidth() const override;

private:
    void begin();

    std::unique_ptr<PageSink> sink_;
    QString documentTitle_;
    QBuffer pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    bool finished_ = false;
};

} // namespace quillset
