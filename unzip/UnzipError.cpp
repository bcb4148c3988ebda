#include "unzip/UnzipError.h"

namespace quillset {

UnzipError::UnzipError(int number, const QString& description, const QString& source)
    : Failure((source + QStringLiteral(": ") + description).toStdString()), number_(number),
      description_(description), source_(source) {}

} // namespace quillset
