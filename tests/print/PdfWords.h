#pragma once

#include "tests/platform/MetafileBytes.h"

#include <QColor>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSize>
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <vector>

namespace quillset::test {

// One word of a PDF page as poppler's pdftotext -bbox reports it, in points from the top-left.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};

struct PdfPage {
    double width = 0, height = 0;
    std::vector<PdfWord> words;
    const PdfWord* find(const QString& text, int occurrence = 0) const {
        for (const PdfWord& word : words)
            if (word.text == text && occurrence-- == 0)
                return &word;
        return nullptr;
    }
};

inline QString unescapeHtml(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'");
    return text.replace("&amp;", "&");
}

// The first page of a PDF file; an empty page when pdftotext cannot read it.
inline PdfPage ReadPdfPage(const QString& path) {
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-bbox", path, "-"});
    pdftotext.waitForFinished(30000);
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
        page.words.push_back({unescapeHtml(m.captured(5)), m.captured(1).toDouble(),
                              m.captured(2).toDouble(), m.captured(3).toDouble(),
                              m.captured(4).toDouble()});
    }
    return page;
}

// Twips in one point: page coordinates read back from a PDF in points are compared in twips.
constexpr double kTwipsPerPoint = 20;

// One run of text of a PDF page as poppler's pdftohtml reports it: its box in points from the
// page's top-left, the face it was set in and its colour.
struct PdfText {
    QString text;
    double left = 0, top = 0, width = 0, height = 0;
    QString family;
    QColor color;
};

struct PdfTexts {
    int pages = 0;
    std::vector<PdfText> runs;
    const PdfText* find(const QString& text) const {
        for (const PdfText& run : runs)
            if (run.text == text)
                return &run;
        return nullptr;
    }
    // The run whose top-left corner lies within `tolerance` twips of (x, y), given in twips.
    const PdfText* at(double x, double y, double tolerance) const {
        for (const PdfText& run : runs)
            if (std::abs(run.left * kTwipsPerPoint - x) <= tolerance &&
                std::abs(run.top * kTwipsPerPoint - y) <= tolerance)
                return &run;
        return nullptr;
    }
};

// Every page's runs of text, with exact (unrounded) coordinates; no pages when the file cannot
// be read.
inline PdfTexts ReadPdfTexts(const QString& path) {
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

// The face a printed page sets a typeface name in: fontconfig's metric-compatible Liberation
// faces, and Liberation Sans for "MS Sans Serif" by the programs' own substitution.
inline QString PrintedFamily(const QString& face) {
    return face == u"Courier New" ? QStringLiteral("LiberationMono")
                                  : QStringLiteral("LiberationSans");
}

// The size in points a run was set at. A run's box is its font's ascent plus descent high, in
// the Liberation faces (2048 units to the em) 2288 units for Sans and 2320 for Mono.
inline double PrintedFontSize(const PdfText& run) {
    const double unitsHigh = run.family == u"LiberationMono" ? 2320 : 2288;
    return run.height * 2048 / unitsHigh;
}

// The first page drawn at `dpi` without its text (Ghostscript's text filter), so that what is
// left are the pictures and lines; a null image when the file cannot be drawn. The drawing goes
// to a file beside the PDF.
inline QImage RenderPdfDrawing(const QString& path, int dpi) {
    const QString drawing = path + ".ppm";
    QProcess gs;
    gs.start("gs", {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-dFILTERTEXT", "-dFirstPage=1",
                    "-dLastPage=1", "-sDEVICE=ppmraw", QStringLiteral("-r%1").arg(dpi),
                    "-sOutputFile=" + drawing, path});
    gs.waitForFinished(60000);
    return QImage(drawing, "PPM");
}

// A placeable metafile of `width` x `height` twips filled with one colour, whose place on a
// printed page ColourBounds finds.
inline QByteArray SolidMetafile(std::int16_t width, std::int16_t height, QColor colour) {
    return MetafileBytes(width, height)
        .record(kCreatePen, {5, 0, 0, 0, 0})
        .record(kSelectObject, {0})
        .record(kCreateBrush, {0, std::int16_t(colour.red() | colour.green() << 8),
                               std::int16_t(colour.blue()), 0})
        .record(kSelectObject, {1})
        .record(kRectangle, {height, width, 0, 0})
        .bytes();
}

// The smallest rectangle, in twips, holding every pixel of `drawing` (drawn at `dpi`) within
// `tolerance` of `colour` in each channel; empty when there is none.
inline QRectF ColourBounds(const QImage& drawing, int dpi, QColor colour, int tolerance = 60) {
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

// The pixel sizes of the bitmaps a PDF holds, as poppler's pdfimages lists them.
inline std::vector<QSize> PdfBitmapSizes(const QString& path) {
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
