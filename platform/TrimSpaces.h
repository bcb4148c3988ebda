#pragma once

#include <QStringView>

namespace quillset {

// The text without the spaces at either end. Only spaces: tabs, line breaks and NUL characters
// at the ends are part of the text, unlike QString::trimmed().
inline QStringView TrimSpaces(QStringView text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ')
        ++first;
    while (last > first && text[last - 1] == u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace quillset
