#include "cipher/DES_Crypt.h"
#include "cipher/Nibbles.h"
#include "platform/CodePage.h"

#include <array>
#include <iterator>

namespace quillset {

namespace {

// Value of a hexadecimal digit of either case, or -1.
int HexValue(char16_t ch) {
    if (ch >= u'0' && ch <= u'9')
        return ch - u'0';
    if (ch >= u'A' && ch <= u'F')
        return ch - u'A' + 10;
    if (ch >= u'a' && ch <= u'f')
        return ch - u'a' + 10;
    return -1;
}

} // namespace

std::string DES_Crypt::HexDigitToBits(QStringView digit) {
    if (digit.size() == 1) {
        const int value = HexValue(digit.front().unicode());
        if (value >= 0)
            return std::string(nibbles::kGroups[value]);
    }
    const QString question = QStringLiteral("Can't convert hex to binary !!!\r\r") +
                             digit.toString() +
                             QStringLiteral("  is not valid hex digit ...\r\rDo you want to "
                                            "continue ???");
    if (!askYes(question))
        StopProcessing = true;
    return {};
}

std::string DES_Crypt::hexTextToBits(QStringView text) {
    std::string bits;
    bits.reserve(static_cast<std::size_t>(text.size()) * 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bits += HexDigitToBits(text.mid(i, 1));
        StopProcessing = false;
    }
    return bits;
}

std::string DES_Crypt::BitsToHexDigit(std::string_view group) {
    // Only the sixteen four-character groups of the nibble table have a digit.
    if (group.size() != 4)
        return {};
    int value = 0;
    for (char ch : group) {
        if (ch != '0' && ch != '1')
            return {};
        value = value * 2 + (ch - '0');
    }
    return std::string(1, nibbles::kDigits[value]);
}

std::string DES_Crypt::bitsToHexText(std::string_view bits) {
    std::string hex;
    hex.reserve(bits.size() / 4 + 1);
    for (std::size_t position = 0; position < bits.size(); position += 4)
        hex += BitsToHexDigit(bits.substr(position, 4));
    return hex;
}

double DES_Crypt::BaseToDecimal(std::string_view digits, int base) {
    double result = 0.0;
    double weight = 1.0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        result += nibbles::DigitValue(*it) * weight;
        weight *= base;
    }
    return result;
}

std::string DES_Crypt::DecimalToBase(int value, int base) {
    // A base below 2 would never reach 0.
    if (base < 2)
        return {};
    // Negative values keep their sign in front of the magnitude's digits instead of looping
    // forever on the floor division.
    long long rest = value < 0 ? -static_cast<long long>(value) : value;
    // Filled from the end: at most a sign and 32 binary digits.
    char digits[40];
    char* first = std::end(digits);
    do {
        const int digit = static_cast<int>(rest % base);
        rest /= base;
        *--first = static_cast<char>(digit > 9 ? digit + 55 : digit + 48);
    } while (rest != 0);
    if (value < 0)
        *--first = '-';
    return std::string(first, std::end(digits));
}

QString DES_Crypt::HexToText(QStringView hex) {
    QString text;
    text.reserve(hex.size() / 2 + 1);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        // Read like a number: leading hexadecimal digits count, the first other character ends it.
        int code = 0;
        for (qsizetype j = i; j < i + 2 && j < hex.size(); ++j) {
            const int value = HexValue(hex[j].unicode());
            if (value < 0)
                break;
            code = code * 16 + value;
        }
        text.append(AnsiToChar(static_cast<unsigned char>(code)));
    }
    return text;
}

} // namespace quillset
