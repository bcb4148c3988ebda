#pragma once

// The fixed "system code page", Windows-1252, as constants: shared by the platform layer's Qt
// text conversion and by the unzip engine, which links no Qt.

#include <array>
#include <cstddef>

namespace quillset {

// 0x80..0x9F; the five holes of the code page stand for the C1 controls of the same number.
inline constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The character one byte of the code page stands for.
constexpr char16_t Windows1252ToUnicode(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char16_t(byte);
}

// The byte for one character; characters the code page lacks become '?'.
constexpr unsigned char UnicodeToWindows1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<unsigned char>(code);
    for (std::size_t i = 0; i < kWindows1252High.size(); ++i) {
        if (kWindows1252High[i] == code)
            return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

} // namespace quillset
