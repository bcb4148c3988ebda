#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRectF>
#include <QSize>
#include <QString>
#include <cstdint>
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
    // The `occurrence`th word spelt `text`; null when there is none.
    const PdfWord* find(const QString& text, int occurrence = 0) const;
};

// The first page of a PDF file; an empty page when pdftotext cannot read it.
PdfPage ReadPdfPage(const QString& path);

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
    // The first run spelt `text`; null when there is none.
    const PdfText* find(const QString& text) const;
    // The run whose top-left corner lies within `tolerance` twips of (x, y), given in twips.
    const PdfText* at(double x, double y, double tolerance) const;
};

// Every page's runs of text, with exact (unrounded) coordinates; no pages when the file cannot
// be read.
PdfTexts ReadPdfTexts(const QString& path);

// The face a printed page sets a typeface name in: fontconfig's metric-compatible Liberation
// faces, and Liberation Sans for "MS Sans Serif" by the programs' own substitution.
QString PrintedFamily(const QString& face);

// The size in points a run was set at, from the height of its box.
double PrintedFontSize(const PdfText& run);

// The page drawn for pictures and lines: 288 dpi, 5 twips a pixel, and how far in twips a block
// may stand off its place.
inline constexpr int kDrawingDpi = 288;
inline constexpr double kDrawingTolerance = 8;

// The desktop theme a page is printed under: the application's own palette, or a dark theme's
// (light window text on dark windows), set through the application for one scope.
enum class Theme { Application, Dark };
class ThemeScope {
public:
    explicit ThemeScope(Theme theme);
    ~ThemeScope();
    ThemeScope(const ThemeScope&) = delete;
    ThemeScope& operator=(const ThemeScope&) = delete;
    // The dark theme's window colour, to look for where paper should stay white.
    static QColor darkWindow() { return QColor(0x2D, 0x2D, 0x2D); }

private:
    QPalette before_;
};
inline const char* ThemeName(Theme theme) {
    return theme == Theme::Dark ? "dark theme" : "application theme";
}

// A picture replaced by a block of one colour, and the rectangle in twips the page should show
// it in, so that the page shows exactly where each picture is scaled into.
struct ColourBlock {
    QString picture;
    QColor colour;
    QRectF rectangle;
};

// A placeable metafile of the block's size filled with its colour.
QByteArray SolidMetafile(const ColourBlock& block);

// The smallest rectangle, in twips, holding every pixel of `drawing` (drawn at `dpi`) within
// `tolerance` of `colour` in each channel; empty when there is none.
QRectF ColourBounds(const QImage& drawing, int dpi, QColor colour, int tolerance = 60);

// Draws the first page of `pdf` without its text at kDrawingDpi and expects each block's colour
// to fill its rectangle within kDrawingTolerance; returns the drawing for further checks, null
// (and a failure) when it cannot be drawn.
QImage ExpectBlocksOnPage(const QString& pdf, const std::vector<ColourBlock>& blocks);

// The pixel sizes of the bitmaps a PDF holds, as poppler's pdfimages lists them.
std::vector<QSize> PdfBitmapSizes(const QString& path);

} // namespace quillset::test
