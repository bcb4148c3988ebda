#pragma once

#include <QDateTime>
#include <QString>

namespace quillset {

// The system's general date form: short date, a blank, the time (the date alone at midnight).
QString GeneralDateText(const QDateTime& value);
// The system's long date form ("LONG DATE").
QString LongDateText(const QDate& value);

} // namespace quillset
