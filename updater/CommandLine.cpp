#include "CommandLine.h"

#include "NumericValue.h"

#include <array>

namespace quillset {

namespace {

QString trimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

CommandLineReading ReadCommandLineFields(const QString& arguments) {
    CommandLineReading reading;
    const QString text = trimSpaces(arguments).toUpper();
    if (text.isEmpty())
        return reading;

    std::array<QString, 3> fields;
    std::size_t field = 0;
    for (const QChar ch : text) {
        if (ch == QLatin1Char(' ') && ++field >= fields.size()) {
            reading.verdict = CommandLineVerdict::SurplusFields;
            return reading;
        }
        fields[field] += ch;
    }

    reading.verdict = CommandLineVerdict::Read;
    reading.fields.ModuleName = trimSpaces(fields[0]);
    reading.fields.CurrentVersion = LeadingNumber(fields[1]);
    QString folder = trimSpaces(fields[2]).replace(QLatin1Char('%'), QLatin1Char(' '));
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    reading.fields.ModuleFolder = folder;
    return reading;
}

} // namespace quillset
