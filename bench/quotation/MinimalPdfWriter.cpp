// The toolkit's floor for a print: a minimal Qt program that writes a one-page PDF with
// QPdfWriter, against which the whole `quotation --print --pdf` and `movie --print --pdf` runs are
// measured (bench/quotation/compare.sh, bench/movie/movie_print.sh).
//   minimal_pdf_writer OUT.pdf [FAMILY[:bold][:italic]...]
// Without a family it writes one line of text in the default typeface; with families, one line in
// each, as a page set in those typefaces needs them embedded. Run it with
// QT_QPA_PLATFORM=offscreen, as the programs print.
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: minimal_pdf_writer OUT.pdf [FAMILY[:bold][:italic]...]\n");
        return 2;
    }
    const QGuiApplication app(argc, argv);
    QPdfWriter writer(QString::fromLocal8Bit(argv[1]));
    QPainter painter(&writer);
    int y = 1000;
    for (int i = 2; i < argc; ++i, y += 500) {
        const QStringList parts = QString::fromLocal8Bit(argv[i]).split(u':');
        QFont font(parts.first(), 10);
        font.setBold(parts.contains(u"bold"));
        font.setItalic(parts.contains(u"italic"));
        painter.setFont(font);
        painter.drawText(QPointF(1000, y), QStringLiteral("1 page(s) sent to printer"));
    }
    if (argc == 2)
        painter.drawText(QPointF(1000, y), QStringLiteral("1 page(s) sent to printer"));
    return painter.end() ? 0 : 1;
}
