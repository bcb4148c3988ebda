#include "unzip/ListingLine.h"

namespace quillset {

namespace {

constexpr int kLineWidth = 80;

// Writes `text` over the line from 1-based `column`, at most `width` characters of it, so the
// line keeps its 80 columns whatever the values are.
void place(QString& line, int column, const QString& text, int width) {
    const int count = static_cast<int>(std::min<qsizetype>(text.size(), width));
    line.replace(column - 1, count, text.left(count));
}

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString ListingHeaderLine() {
    QString line(kLineWidth, QLatin1Char(' '));
    place(line, 1, QStringLiteral("Filename:"), 9);
    place(line, 53, QStringLiteral("Size"), 4);
    place(line, 62, QStringLiteral("Date"), 4);
    place(line, 71, QStringLiteral("Time"), 4);
    return line;
}

QString ListingEntryLine(const QString& name, std::uint32_t size, int month, int day, int year,
                         int hour, int minute) {
    QString line(kLineWidth, QLatin1Char(' '));
    place(line, 1, name, 50);
    // Eight spaces, the number with its sign place, then the last seven characters of that.
    place(line, 51,
          (QString(8, QLatin1Char(' ')) + QLatin1Char(' ') + QString::number(size)).right(7), 7);
    place(line, 60, twoDigits(month) + QLatin1Char('/'), 3);
    place(line, 63, twoDigits(day) + QLatin1Char('/'), 3);
    place(line, 66, twoDigits(year % 100), 2);
    place(line, 70, QStringLiteral("%1").arg(hour, 2) + QLatin1Char(':'), 3);
    place(line, 73, twoDigits(minute), 2);
    return line;
}

} // namespace quillset
