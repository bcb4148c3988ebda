#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace quillset {

// The fixed "system code page", Windows-1252, for text crossing to and from 8-bit interfaces.
QChar AnsiToChar(unsigned char byte);
// Characters outside the code page become '?'.
unsigned char CharToAnsi(QChar ch);

QString AnsiToString(const char* bytes, qsizetype length);
QByteArray StringToAnsi(const QString& text);

} // namespace quillset
