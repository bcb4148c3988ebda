#include "updater/CommandLine.h"

#include "platform/TrimSpaces.h"
#include "platform/WindowsPath.h"
#include "updater/NumericValue.h"

#include <array>
#include <filesystem>

namespace quillset {

namespace {

// QString::toUpper follows the full case mapping, which turns "ß" into "SS": a different name, of
// a different length. The simple mapping here gives one character for each.
QString UpperCaseOneForOne(const QString& text) {
    QString upper = text;
    for (qsizetype i = 0; i < upper.size(); ++i) {
        if (upper[i].isHighSurrogate() && i + 1 < upper.size() && upper[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(upper[i], upper[i + 1]);
            const char32_t upperCode = QChar::toUpper(code);
            if (QChar::requiresSurrogates(upperCode)) {
                upper[i] = QChar(QChar::highSurrogate(upperCode));
                upper[i + 1] = QChar(QChar::lowSurrogate(upperCode));
            }
            ++i;
            continue;
        }
        const char32_t upperCode = QChar::toUpper(char32_t(upper[i].unicode()));
        if (!QChar::requiresSurrogates(upperCode))
            upper[i] = QChar(char16_t(upperCode));
    }
    return upper;
}

// Field 3 as a folder text: "%" stands for a space, and it ends in "\".
QString FolderText(const QString& field) {
    QString folder = TrimSpaces(field).toString().replace(QLatin1Char('%'), QLatin1Char(' '));
    if (!folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('\\');
    return folder;
}

} // namespace

CommandLineReading ReadCommandLineFields(const QString& arguments) {
    CommandLineReading reading;
    const QString given = TrimSpaces(arguments).toString();
    const QString text = UpperCaseOneForOne(given);
    if (text.isEmpty())
        return reading;

    // The upper-cased text has the given one's length, so both split at the same places.
    std::array<qsizetype, 3> starts{0, text.size(), text.size()};
    std::size_t field = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char(' '))
            continue;
        if (++field >= starts.size()) {
            reading.verdict = CommandLineVerdict::SurplusFields;
            return reading;
        }
        starts[field] = i;
    }
    const auto fieldOf = [&](const QString& line, std::size_t number) {
        const qsizetype end = number + 1 < starts.size() ? starts[number + 1] : line.size();
        return line.mid(starts[number], end - starts[number]);
    };

    reading.verdict = CommandLineVerdict::Read;
    reading.fields.ModuleName = TrimSpaces(fieldOf(text, 0)).toString();
    reading.fields.CurrentVersion = LeadingNumber(fieldOf(text, 1));
    reading.fields.ModuleFolder = FolderText(fieldOf(text, 2));
    reading.fields.givenModuleFolder = FolderText(fieldOf(given, 2));
    return reading;
}

ModuleFolderResolution ResolveModuleFolder(const CommandLineFields& fields) {
    const PathResolution resolution = ResolveWindowsPathUniquely(fields.givenModuleFolder);
    if (!resolution.ambiguous.isEmpty())
        return {{}, resolution.ambiguous, {}};
    QString folder = QString::fromStdString(resolution.path.string());
    while (folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    folder += QLatin1Char('\\');
    std::error_code error;
    if (std::filesystem::equivalent(resolution.path, "/", error))
        return {folder,
                {},
                QStringLiteral("the module folder %1 is the root folder; nothing is fetched, "
                               "unpacked or locked there")
                    .arg(fields.givenModuleFolder)};
    return {folder, {}, {}};
}

} // namespace quillset
