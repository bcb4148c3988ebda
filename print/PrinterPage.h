#pragma once

#include "PainterSurface.h"
#include "PrintDestination.h"

#include <QPainter>
#include <memory>

class QIODevice;
class QPdfWriter;

namespace quillset {

// The printer page: one document of one page, addressed in twips (the PDF writer runs at 1440
// dpi, so one device unit is one twip). The page is always rendered as PDF into a file that is
// not yet the user's: EndDocument renames it onto the PDF path or hands it to the CUPS queue,
// AbortDocument throws it away, so an aborted or failed job leaves nothing behind.
class PrinterPage : public PainterSurface {
public:
    PrinterPage(PrintDestination destination, QString documentTitle);
    ~PrinterPage() override;

    // The device settings of the old printer object have no counterpart in a PDF page.
    void ApplyDeviceSetting(int) override {}
    void SetPrintQuality(int) override {}

    void EndDocument() override;
    void AbortDocument() override;

    const PrintDestination& Destination() const { return destination_; }

protected:
    QPainter& ActivePainter() override;
    QPaintDevice* MetricsDevice() const override;
    QFont DeviceFont() const override;
    double DefaultPenWidth() const override;

private:
    void begin();
    void closeOutput();

    PrintDestination destination_;
    QString documentTitle_;
    std::unique_ptr<QIODevice> output_;
    std::unique_ptr<QPdfWriter> writer_;
    QPainter painter_;
    bool finished_ = false;
};

} // namespace quillset
