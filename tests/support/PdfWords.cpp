#include "tests/support/PdfWords.h"

#include "tests/support/MetafileBytes.h"

#include <QGuiApplication>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <tuple>

namespace quillset::test {
namespace {

QString UnescapeHtml(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'");
    return text.replace("&amp;", "&");
}

} // namespace

ThemeScope::ThemeScope(Theme theme) : before_(QGuiApplication::palette()) {
    if (theme != Theme::Dark)
        return;
    QPalette dark(QColor(0x3C, 0x3C, 0x3C), ThemeScope::darkWindow());
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, QColor(0xF0, 0xF0, 0xF0));
    dark.setColor(QPalette::Base, darkWindow());
    QGuiApplication::setPalette(dark);
}

ThemeScope::~ThemeScope() {
    QGuiApplication::setPalette(before_);
}

const PdfWord* PdfPage::find(const QString& text, int occurrence) const {
    for (const PdfWord& word : words)
        if (word.text == text && occurrence-- == 0)
            return &word;
    return nullptr;
}

PdfPage ReadPdfPage(const QString& path) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-bbox", path, "-"});
    EXPECT_TRUE(pdftotext.waitForFinished(30000)) << "pdftotext " << path.toStdString();
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    PdfPage page;
    static const QRegularExpression pageSize(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)")re"));
    if (const auto match = pageSize.match(html); match.hasMatch()) {
        page.width = match.captured(1).toDouble();
        page.height = match.captured(2).toDouble();
    }
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        page.words.push_back({UnescapeHtml(m.captured(5)), m.captured(1).toDouble(),
                              m.captured(2).toDouble(), m.captured(3).toDouble(),
                              m.captured(4).toDouble()});
    }
    return page;
}

const PdfText* PdfTexts::find(const QString& text) const {
    for (const PdfText& run : runs)
        if (run.text == text)
            return &run;
    return nullptr;
}

const PdfText* PdfTexts::at(double x, double y, double tolerance) const {
    for (const PdfText& run : runs)
        if (std::abs(run.left * kTwipsPerPoint - x) <= tolerance &&
            std::abs(run.top * kTwipsPerPoint - y) <= tolerance)
            return &run;
    return nullptr;
}

PdfTexts ReadPdfTexts(const QString& path) {
    QProcess pdftohtml;
    pdftohtml.start("pdftohtml",
                    {"-xml", "-i", "-q", "-noroundcoord", "-zoom", "1", "-stdout", path});
    pdftohtml.waitForFinished(30000);
    PdfTexts result;
    QMap<QString, std::pair<QString, QColor>> fonts;
    QXmlStreamReader xml(pdftohtml.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == u"page") {
            ++result.pages;
        } else if (xml.name() == u"fontspec") {
            fonts[attributes.value("id").toString()] = {
                attributes.value("family").toString(),
                QColor(attributes.value("color").toString())};
        } else if (xml.name() == u"text") {
            PdfText run;
            run.left = attributes.value("left").toDouble();
            run.top = attributes.value("top").toDouble();
            run.width = attributes.value("width").toDouble();
            run.height = attributes.value("height").toDouble();
            std::tie(run.family, run.color) = fonts.value(attributes.value("font").toString());
            run.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            result.runs.push_back(run);
        }
    }
    return result;
}

QString PrintedFamily(const QString& face) {
    return face == u"Courier New" ? QStringLiteral("LiberationMono")
                                  : QStringLiteral("LiberationSans");
}

// A run's box is its font's ascent plus descent high, in the Liberation faces (2048 units to the
// em) 2288 units for Sans and 2320 for Mono.
double PrintedFontSize(const PdfText& run) {
    const double unitsHigh = run.family == u"LiberationMono" ? 2320 : 2288;
    return run.height * 2048 / unitsHigh;
}

namespace {

// The first page drawn at `dpi` without its text (Ghostscript's text filter), so that what is
// left are the pictures and lines; a null image when the file cannot be drawn. The drawing goes
// to a file beside the PDF.
QImage RenderPdfDrawing(const QString& path, int dpi) {
    const QString drawing = path + ".ppm";
    QProcess gs;
    gs.start("gs", {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-dFILTERTEXT", "-dFirstPage=1",
                    "-dLastPage=1", "-sDEVICE=ppmraw", QStringLiteral("-r%1").arg(dpi),
                    "-sOutputFile=" + drawing, path});
    gs.waitForFinished(60000);
    return QImage(drawing, "PPM");
}

} // namespace

QByteArray SolidMetafile(const ColourBlock& block) {
    const auto width = std::int16_t(block.rectangle.width());
    const auto height = std::int16_t(block.rectangle.height());
    const QColor colour = block.colour;
    return MetafileBytes(width, height)
        .record(kCreatePen, {5, 0, 0, 0, 0})
        .record(kSelectObject, {0})
        .record(kCreateBrush, {0, std::int16_t(colour.red() | colour.green() << 8),
                               std::int16_t(colour.blue()), 0})
        .record(kSelectObject, {1})
        .record(kRectangle, {height, width, 0, 0})
        .bytes();
}

QRectF ColourBounds(const QImage& drawing, int dpi, QColor colour, int tolerance) {
    int left = drawing.width(), top = drawing.height(), right = -1, bottom = -1;
    for (int y = 0; y < drawing.height(); ++y) {
        for (int x = 0; x < drawing.width(); ++x) {
            const QRgb pixel = drawing.pixel(x, y);
            if (std::abs(qRed(pixel) - colour.red()) <= tolerance &&
                std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
                std::abs(qBlue(pixel) - colour.blue()) <= tolerance) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return {};
    const double twipsPerPixel = 1440.0 / dpi;
    return QRectF(left * twipsPerPixel, top * twipsPerPixel, (right - left + 1) * twipsPerPixel,
                  (bottom - top + 1) * twipsPerPixel);
}

QImage ExpectBlocksOnPage(const QString& pdf, const std::vector<ColourBlock>& blocks) {
    const QImage drawing = RenderPdfDrawing(pdf, kDrawingDpi);
    if (drawing.isNull()) {
        ADD_FAILURE() << "cannot draw " << pdf.toStdString();
        return drawing;
    }
    for (const ColourBlock& block : blocks) {
        SCOPED_TRACE(block.picture.toStdString());
        const QRectF found = ColourBounds(drawing, kDrawingDpi, block.colour);
        EXPECT_NEAR(found.left(), block.rectangle.left(), kDrawingTolerance);
        EXPECT_NEAR(found.top(), block.rectangle.top(), kDrawingTolerance);
        EXPECT_NEAR(found.right(), block.rectangle.right(), kDrawingTolerance);
        EXPECT_NEAR(found.bottom(), block.rectangle.bottom(), kDrawingTolerance);
    }
    return drawing;
}

std::vector<QSize> PdfBitmapSizes(const QString& path) {
    QProcess pdfimages;
    pdfimages.start("pdfimages", {"-list", path});
    pdfimages.waitForFinished(30000);
    std::vector<QSize> sizes;
    const QStringList lines = QString::fromUtf8(pdfimages.readAllStandardOutput()).split(u'\n');
    for (const QString& line : lines.mid(2)) {
        const QStringList fields = line.simplified().split(u' ');
        if (fields.size() > 4)
            sizes.emplace_back(fields[3].toInt(), fields[4].toInt());
    }
    return sizes;
}

} // namespace quillset::test
