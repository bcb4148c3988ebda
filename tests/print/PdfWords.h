#pragma once

#include <QProcess>
#include <QRegularExpression>
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

} // namespace quillset::test
