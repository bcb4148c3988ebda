#pragma once

#include <QString>
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

} // namespace quillset::test
