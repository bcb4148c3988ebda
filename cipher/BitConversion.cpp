#include "CodePage.h"
#include "DES_Crypt.h"

#include <array>

namespace quillset {

namespace {

// The nibble table: each digit's value in base 2, most significant bit first.
constexpr std::array<std::string_view, 16> kNibbles = {
    "0000", "0001", "0010", "0011", "0100", "0101", "0110", "0111",
    "1000", "1001", "1010", "1011", "1100", "1101", "1110", "1111"};

constexpr std::string_view kDigits = "0123456789ABCDEF";

// Value of a hexadecimal digit of either case, or -1.
int hexValue(char16_t ch) {
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
        const int value = hexValue(digit.front().unicode());
        if (value >= 0)
            return std::string(kNibbles[value]);
    }
    const QString question = QStringLiteral("Can't convert hex to binary !!!\r\r") +
                             digit.toString() +
                             QStringLiteral("  is not valid hex digit ...\r\rDo you want to "
                                            "continue ???");
    if (!askYes(question))
        StopProcessing = true;
    return {};
}

std::string DES_Crypt::HexTextToBits(QStringView text) {
    std::string bits;
    bits.reserve(static_cast<std::size_t>(text.size()) * 4);
    for (qsizetype i = 0; i < text.size(); ++i) {
        bits += HexDigitToBits(text.mid(i, 1));
        StopProcessing = false;
    }
    return bits;
}

std::string DES_Crypt::BitsToHexDigit(std::string_view group) {
    for (std::size_t value = 0; value < kNibbles.size(); ++value) {
        if (group == kNibbles[value])
            return std::string(1, kDigits[value]);
    }
    // Not one of the sixteen groups: no digit, as the conversion never produces one.
    return {};
}

std::string DES_Crypt::BitsToHexText(std::string_view bits) {
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
        int value = static_cast<unsigned char>(*it) - 48;
        if (value > 9)
            value -= 7;
        result += value * weight;
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
    std::string digits;
    do {
        const int digit = static_cast<int>(rest % base);
        rest /= base;
        digits.insert(digits.begin(), static_cast<char>(digit > 9 ? digit + 55 : digit + 48));
    } while (rest != 0);
    if (value < 0)
        digits.insert(digits.begin(), '-');
    return digits;
}

QString DES_Crypt::HexToText(QStringView hex) {
    QString text;
    text.reserve(hex.size() / 2 + 1);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        // Read like a number: leading hexadecimal digits count, the first other character ends it.
        int code = 0;
        for (qsizetype j = i; j < i + 2 && j < hex.size(); ++j) {
            const int value = hexValue(hex[j].unicode());
            if (value < 0)
                break;
            code = code * 16 + value;
        }
        text.append(ansiToChar(static_cast<unsigned char>(code)));
    }
    return text;
}

} // namespace quillset
