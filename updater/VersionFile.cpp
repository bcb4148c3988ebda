#include "updater/VersionFile.h"

#include "platform/CodePage.h"
#include "updater/NumericValue.h"

#include <fstream>

namespace quillset {

std::optional<QByteArray> FirstItem(QByteArrayView text) {
    qsizetype at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    if (at == text.size())
        return std::nullopt;
    if (text[at] == '"') {
        const qsizetype close = text.indexOf('"', at + 1);
        const qsizetype end = close < 0 ? text.size() : close;
        return text.sliced(at + 1, end - at - 1).toByteArray();
    }
    qsizetype end = at;
    while (end < text.size() && text[end] != ',' && text[end] != '\r' && text[end] != '\n')
        ++end;
    return text.sliced(at, end - at).toByteArray();
}

std::optional<float> ReadVersionFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    QByteArray head(kVersionFileReadLimit, Qt::Uninitialized);
    in.read(head.data(), head.size());
    if (in.bad())
        return std::nullopt;
    head.truncate(in.gcount());
    const std::optional<QByteArray> item = FirstItem(head);
    if (!item)
        return std::nullopt;
    return LeadingNumber(AnsiToString(item->constData(), item->size()));
}

} // namespace quillset
