#include "platform/DateText.h"

#include <QLocale>

namespace quillset {

namespace {

// Qt's long time format carries the time zone; the general date form shows only the clock time.
QString ClockTimeFormat(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

} // namespace

QString GeneralDateText(const QDateTime& value) {
    const QLocale locale = QLocale::system();
    const QString date = locale.toString(value.date(), QLocale::ShortFormat);
    if (value.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + locale.toString(value.time(), ClockTimeFormat(locale));
}

QString LongDateText(const QDate& value) {
    return QLocale::system().toString(value, QLocale::LongFormat);
}

} // namespace quillset
