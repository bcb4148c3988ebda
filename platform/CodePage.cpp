#include "platform/CodePage.h"

#include <array>

namespace quillset {

namespace {

// 0x80..0x9F; the five holes of the code page map to the C1 controls of the same number.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

QChar AnsiToChar(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHighControls[byte - 0x80]);
    return QChar(char16_t(byte));
}

unsigned char CharToAnsi(QChar ch) {
    const char16_t code = ch.unicode();
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<unsigned char>(code);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == code)
            return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

QString AnsiToString(const char* bytes, qsizetype length) {
    QString text;
    text.reserve(length);
    for (qsizetype i = 0; i < length; ++i)
        text.append(AnsiToChar(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray StringToAnsi(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text)
        bytes.append(static_cast<char>(CharToAnsi(ch)));
    return bytes;
}

} // namespace quillset
