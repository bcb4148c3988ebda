#include "platform/CodePage.h"

#include "platform/Windows1252.h"

namespace quillset {

QChar AnsiToChar(unsigned char byte) {
    return QChar(Windows1252ToUnicode(byte));
}

unsigned char CharToAnsi(QChar ch) {
    return UnicodeToWindows1252(ch.unicode());
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
