#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

namespace quillset {

// The fixed "system code page", Windows-1252, for text crossing to and from 8-bit interfaces.
QChar ansiToChar(unsigned char byte);
// Characters outside the code page become '?'.
unsigned char charToAnsi(QChar ch);

QString ansiToString(const char* bytes, qsizetype length);
QByteArray stringToAnsi(const QString& text);

} // namespace quillset
