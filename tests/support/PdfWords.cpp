#include "tests/support/PdfWords.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

QString UnescapeHtml(QString text) {
    text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&#39;", "'");
    return text.replace("&amp;", "&");
}

} // namespace

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

} // namespace quillset::test
