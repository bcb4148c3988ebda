#include "unzip/ListingLine.h"

namespace quillset {

namespace {

constexpr int kLineWidth = 80;

// Writes `text` over the line from 1-based `column`, at most `width` characters of it, so the
// line keeps its 80 columns whatever the values are.
void Place(QString& line, int column, const QString& text, int width) {
    const int count = static_cast<int>(std::min<qsizetype>(text.size(), width));
    line.replace(column - 1, count, text.left(count));
}

QString TwoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

} // namespace

QString ListingHeaderLine() {
    QString line(kLineWidth, QLatin1Char(' '));
    Place(line, 1, QStringLiteral("Filename:"), 9);
    Place(line, 53, QStringLiteral("Size"), 4);
    Place(line, 62, QStringLiteral("Date"), 4);
    Place(line, 71, QStringLiteral("Time"), 4);
    return line;
}

QString ListingEntryLine(const QString& name, std::uint32_t size, int month, int day, int year,
                         int hour, int minute) {
    QString line(kLineWidth, QLatin1Char(' '));
    Place(line, 1, name, 50);
    // Eight spaces, the number with its sign place, then the last seven characters of that.
    Place(line, 51,
          (QString(8, QLatin1Char(' ')) + QLatin1Char(' ') + QString::number(size)).right(7), 7);
    Place(line, 60, TwoDigits(month) + QLatin1Char('/'), 3);
    Place(line, 63, TwoDigits(day) + QLatin1Char('/'), 3);
    Place(line, 66, TwoDigits(year % 100), 2);
    Place(line, 70, QStringLiteral("%1").arg(hour, 2) + QLatin1Char(':'), 3);
    Place(line, 73, TwoDigits(minute), 2);
    return line;
}

} // namespace quillset
