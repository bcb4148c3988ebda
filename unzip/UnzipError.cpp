#include "unzip/UnzipError.h"

namespace quillset {

UnzipError::UnzipError(int number, const QString& description, const QString& source)
    : std::runtime_error((source + QStringLiteral(": ") + description).toStdString()),
      number_(number), description_(description), source_(source) {}

} // namespace quillset
