#pragma once

#include <QStringView>

namespace quillset {

// The value of the number a text starts with, as a 32-bit float: leading blanks are skipped, an
// optional sign, digits with "." as the decimal point whatever the locale; reading stops at the
// first character that cannot continue the number, and a text without a leading number gives 0.
// A number too large for a 32-bit float gives infinity.
float LeadingNumber(QStringView text);

} // namespace quillset
