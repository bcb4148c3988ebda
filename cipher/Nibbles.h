#pragma once

#include <array>
#include <string_view>

namespace quillset::nibbles {

// The nibble table: each hexadecimal digit's value in base 2, most significant bit first.
inline constexpr std::array<std::string_view, 16> kGroups = {
    "0000", "0001", "0010", "0011", "0100", "0101", "0110", "0111",
    "1000", "1001", "1010", "1011", "1100", "1101", "1110", "1111"};

inline constexpr std::string_view kDigits = "0123456789ABCDEF";

// A digit character's value as BaseToDecimal reads it: its code minus 48, less 7 more above 9, so
// "0"-"9" are 0-9 and "A"-"Z" are 10-35.
inline int DigitValue(char ch) {
    int value = static_cast<unsigned char>(ch) - 48;
    if (value > 9)
        value -= 7;
    return value;
}

} // namespace quillset::nibbles
