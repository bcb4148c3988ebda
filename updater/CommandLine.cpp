#include "CommandLine.h"

#include "NumericValue.h"
#include "TrimSpaces.h"

#include <array>

namespace quillset {

CommandLineReading ReadCommandLineFields(const QString& arguments) {
    CommandLineReading reading;
    const QString text = TrimSpaces(arguments).toString().toUpper();
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
    reading.fields.ModuleName = TrimSpaces(fields[0]).toString();
    reading.fields.CurrentVersion = LeadingNumber(fields[1]);
    QString folder = TrimSpaces(fields[2]).toString().replace(QLatin1Char('%'), QLatin1Char(' '));
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    reading.fields.ModuleFolder = folder;
    return reading;
}

} // namespace quillset
