#include "PrinterPage.h"

#include "Fonts.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryFile>
#include <cstdio>
#include <cups/cups.h>

namespace quillset {

namespace {

constexpr int kTwipsPerInch = 1440;
// The old printer object's default pen is one dot of the printer; we take a 600-dpi printer.
constexpr double kDefaultPenTwips = 1440.0 / 600.0;

bool queueExists(const QString& name) {
    cups_dest_t* dest =
        cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toLocal8Bit().constData(), nullptr);
    if (!dest)
        return false;
    cupsFreeDests(1, dest);
    return true;
}

} // namespace

PrinterPage::PrinterPage(PrintDestination destination, QString documentTitle)
    : PainterSurface(1.0), destination_(std::move(destination)),
      documentTitle_(std::move(documentTitle)) {
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
    if (!destination_.printerName.isEmpty()) {
        if (!queueExists(destination_.printerName))
            throw PrintFailure("there is no printer named \"" +
                               destination_.printerName.toStdString() + "\"");
        auto spool = std::make_unique<QTemporaryFile>();
        if (!spool->open())
            throw PrintFailure("cannot create a spool file: " + spool->errorString().toStdString());
        output_ = std::move(spool);
    } else {
        auto file = std::make_unique<QSaveFile>(destination_.pdfPath);
        if (!file->open(QIODevice::WriteOnly))
            throw PrintFailure("cannot write " + destination_.pdfPath.toStdString() + ": " +
                               file->errorString().toStdString());
        output_ = std::move(file);
    }
    writer_ = std::make_unique<QPdfWriter>(output_.get());
    writer_->setResolution(kTwipsPerInch);
    writer_->setTitle(documentTitle_);
    writer_->setCreator(documentTitle_);
    const QSizeF points(Width() / 20.0, Height() / 20.0);
    writer_->setPageLayout(
        QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    if (!painter_.begin(writer_.get()))
        throw PrintFailure("the page could not be started");
}

QPainter& PrinterPage::ActivePainter() {
    if (finished_)
        throw PrintFailure("the document has already ended");
    if (!painter_.isActive())
        begin();
    return painter_;
}

QPaintDevice* PrinterPage::MetricsDevice() const {
    return writer_.get();
}

QFont PrinterPage::DeviceFont() const {
    return MakeFont(FontName(), FontSize(), FontItalic());
}

double PrinterPage::DefaultPenWidth() const {
    return kDefaultPenTwips;
}

void PrinterPage::closeOutput() {
    if (auto* file = dynamic_cast<QSaveFile*>(output_.get()))
        file->cancelWriting();
    output_.reset();
}

void PrinterPage::EndDocument() {
    ActivePainter(); // an empty document still prints its blank page
    finished_ = true;
    if (!painter_.end()) {
        closeOutput();
        throw PrintFailure("the page could not be finished");
    }
    if (auto* file = dynamic_cast<QSaveFile*>(output_.get())) {
        if (!file->commit()) {
            const std::string why = file->errorString().toStdString();
            output_.reset();
            throw PrintFailure("cannot write " + destination_.pdfPath.toStdString() + ": " + why);
        }
        output_.reset();
        if (destination_.announcePath)
            std::printf("%s\n", destination_.pdfPath.toLocal8Bit().constData());
        std::fflush(stdout);
        return;
    }
    auto* spool = static_cast<QTemporaryFile*>(output_.get());
    spool->flush();
    const int job = cupsPrintFile(destination_.printerName.toLocal8Bit().constData(),
                                  spool->fileName().toLocal8Bit().constData(),
                                  documentTitle_.toLocal8Bit().constData(), 0, nullptr);
    output_.reset();
    if (job == 0)
        throw PrintFailure("the printer \"" + destination_.printerName.toStdString() +
                           "\" refused the job: " + cupsLastErrorString());
}

void PrinterPage::AbortDocument() {
    finished_ = true;
    if (painter_.isActive())
        painter_.end();
    closeOutput();
}

} // namespace quillset
