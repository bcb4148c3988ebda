#include "updater/NumericValue.h"

#include <charconv>
#include <limits>
#include <string>

namespace quillset {

namespace {

bool IsBlank(QChar ch) {
    return ch == QLatin1Char(' ') || ch == QLatin1Char('\t') || ch == QLatin1Char('\n') ||
           ch == QLatin1Char('\r');
}

bool IsDigit(QChar ch) {
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

} // namespace

float LeadingNumber(QStringView text) {
    qsizetype at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == QLatin1Char('-') || text[at] == QLatin1Char('+')))
        negative = text[at++] == QLatin1Char('-');
    std::string number;
    bool point = false;
    bool digits = false;
    bool wholeNonZero = false;
    for (; at < text.size(); ++at) {
        const QChar ch = text[at];
        if (IsDigit(ch)) {
            digits = true;
            wholeNonZero = wholeNonZero || (!point && ch != QLatin1Char('0'));
            number += char(ch.unicode());
        } else if (ch == QLatin1Char('.') && !point) {
            point = true;
            number += '.';
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0f;
    // from_chars ignores the locale, which Qt sets from the environment at start.
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    if (error == std::errc::result_out_of_range)
        value = wholeNonZero ? kInfinity : 0.0;
    // Narrowing a double beyond the float range is undefined; such a number is infinite here.
    if (value > double(std::numeric_limits<float>::max()))
        value = kInfinity;
    return static_cast<float>(negative ? -value : value);
}

} // namespace quillset
