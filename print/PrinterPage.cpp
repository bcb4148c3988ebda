#include "print/PrinterPage.h"

#include "graphics/Fonts.h"

#include <QPageLayout>
#include <QPdfWriter>

namespace quillset {

namespace {

constexpr int kTwipsPerInch = 1440;
// The old printer object's default pen is one dot of the printer; we take a 600-dpi printer.
constexpr double kDefaultPenTwips = 1440.0 / 600.0;

} // namespace

PrinterPage::PrinterPage(std::unique_ptr<PageSink> sink, QString documentTitle)
    : PainterSurface(1.0), sink_(std::move(sink)), documentTitle_(std::move(documentTitle)) {
    // The writer exists from the start so that fonts can be measured before anything is drawn;
    // it is bound to its output only when the document begins.
    writer_ = std::make_unique<QPdfWriter>(QString());
    writer_->setResolution(kTwipsPerInch);
}

PrinterPage::~PrinterPage() {
    if (!finished_)
        AbortDocument();
}

void PrinterPage::begin() {
    sink_->open();
    pdf_.open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(&pdf_);
    writer_->setResolution(kTwipsPerInch);
    writer_->setTitle(documentTitle_);
    writer_->setCreator(documentTitle_);
    const QSizeF points(Width() / 20.0, Height() / 20.0);
    writer_->setPageLayout(
        QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    if (!painter_.begin(writer_.get()))
        throw PrintFailure("the page could not be started");
    // Pictures go on paper as they are (Flate), not through lossy JPEG, which would also have Qt
    // look through its image plugins and load libjpeg for every page with a bitmap.
    painter_.setRenderHint(QPainter::LosslessImageRendering);
}

QPainter& PrinterPage::activePainter() {
    if (finished_)
        throw PrintFailure("the document has already ended");
    if (!painter_.isActive())
        begin();
    return painter_;
}

QPaintDevice* PrinterPage::metricsDevice() const {
    return writer_.get();
}

QFont PrinterPage::deviceFont() const {
    return MakeFont(FontName(), FontSize(), FontItalic());
}

double PrinterPage::defaultPenWidth() const {
    return kDefaultPenTwips;
}

void PrinterPage::EndDocument() {
    activePainter(); // an empty document still prints its blank page
    finished_ = true;
    if (!painter_.end()) {
        sink_->discard();
        throw PrintFailure("the page could not be finished");
    }
    pdf_.close();
    sink_->deliver(pdf_.data());
}

void PrinterPage::AbortDocument() {
    finished_ = true;
    if (painter_.isActive())
        painter_.end();
    sink_->discard();
}

} // namespace quillset
