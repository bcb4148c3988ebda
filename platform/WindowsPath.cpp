#include "platform/WindowsPath.h"

#include <QRegularExpression>
#include <cstdlib>
#include <system_error>

namespace quillset {

namespace fs = std::filesystem;

namespace {

// The entry of `folder` that stands for `name`, and how many entries matched it.
struct ComponentMatch {
    fs::path path;
    int matches = 0;
};

ComponentMatch MatchComponent(const fs::path& folder, const QString& name) {
    std::error_code error;
    const fs::path exact = folder / name.toStdString();
    if (fs::exists(fs::symlink_status(exact, error)))
        return {exact, 1};
    // Entries are compared case-insensitively; the first in name order is taken, so the outcome
    // does not depend on the order the file system lists them in.
    ComponentMatch found{exact, 0};
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path candidate = it->path();
        const QString entry = QString::fromStdString(candidate.filename().string());
        if (entry.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (found.matches++ == 0 || candidate < found.path)
            found.path = candidate;
    }
    return found;
}

} // namespace

fs::path ProgramFolder() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::current_path() : self.parent_path();
}

fs::path PrivateFile(const std::string& name) {
    const fs::path beside = ProgramFolder() / name;
    std::error_code error;
    if (fs::exists(beside, error))
        return beside;
    return (ProgramFolder() / QUILLSET_INSTALLED_PRIVATE_FROM_PROGRAM / name).lexically_normal();
}

fs::path DriveFolder(QChar letter) {
    const QChar upper = letter.toUpper();
    const QByteArray variable = "QUILLSET_DRIVE_" + QString(upper).toLatin1();
    if (const char* value = std::getenv(variable.constData()); value && *value)
        return fs::path(value);
    const std::string name = "drive_" + QString(upper.toLower()).toStdString();
    // Beside the program in the build tree; in the installed data folder, found relative to the
    // program so that an installed tree works under any prefix.
    const fs::path beside = ProgramFolder() / name;
    const fs::path installed =
        (ProgramFolder() / QUILLSET_INSTALLED_DATA_FROM_PROGRAM / name).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(beside, error) && fs::is_directory(installed, error))
        return installed;
    return beside;
}

PathResolution ResolveWindowsPathUniquely(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    QString rest = text;
    PathResolution resolution{fs::path("/"), {}};
    fs::path& result = resolution.path;
    if (rest.size() >= 2 && rest[1] == QLatin1Char(':') && rest[0].isLetter() &&
        rest[0].unicode() < 128) {
        result = DriveFolder(rest[0]);
        rest = rest.mid(2);
    } else if (!rest.isEmpty() && !rest.startsWith(QLatin1Char('\\')) &&
               !rest.startsWith(QLatin1Char('/'))) {
        // Neither a drive nor a leading separator: relative to the working folder, as Windows
        // reads it. Without one (removed meanwhile) the path stays relative and fails where used.
        std::error_code error;
        result = fs::current_path(error);
    }
    const bool isFolder = rest.endsWith(QLatin1Char('\\')) || rest.endsWith(QLatin1Char('/'));
    for (const QString& component : rest.split(separators, Qt::SkipEmptyParts)) {
        if (component == QLatin1String(".") || component == QLatin1String("..")) {
            result /= component.toStdString();
            continue;
        }
        ComponentMatch match = MatchComponent(result, component);
        if (match.matches > 1 && resolution.ambiguous.isEmpty())
            resolution.ambiguous =
                QString::fromStdString((result / component.toStdString()).string());
        result = std::move(match.path);
    }
    if (isFolder && result.has_filename())
        result /= "";
    return resolution;
}

fs::path ResolveWindowsPath(const QString& text) {
    return ResolveWindowsPathUniquely(text).path;
}

} // namespace quillset
