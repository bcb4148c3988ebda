#include "updater/Leftovers.h"

#include "updater/WorkingFolders.h"

#include <QRegularExpression>

namespace quillset {

namespace fs = std::filesystem;

namespace {

bool IsEngineTemporary(const QString& name) {
    static const QRegularExpression pattern(QStringLiteral("^\\.uz-[0-9]+-[0-9]+$"));
    return pattern.match(name).hasMatch();
}

bool IsPartialTransfer(const QString& name, const QStringList& localCopies) {
    for (const QString& copy : localCopies) {
        const QString prefix = copy + QStringLiteral(".part-");
        if (name.size() == prefix.size() + 6 && name.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool IsFileOrLink(const fs::directory_entry& entry) {
    std::error_code ignored;
    return entry.is_symlink(ignored) || entry.is_regular_file(ignored);
}

} // namespace

int RemoveLeftoverTemporaries(const fs::path& module, const QStringList& localCopies) {
    int removed = 0;
    std::error_code error;
    fs::recursive_directory_iterator it(module, error), end;
    for (; !error && it != end; it.increment(error)) {
        const QString name = QString::fromStdString(it->path().filename().string());
        // The agent's own folders are cleared by the recovery, as a whole.
        if (it.depth() == 0 && IsReservedName(name.toStdString())) {
            it.disable_recursion_pending();
            continue;
        }
        const bool partial = it.depth() == 0 && IsPartialTransfer(name, localCopies);
        if ((partial || IsEngineTemporary(name)) && IsFileOrLink(*it)) {
            std::error_code ignored;
            removed += fs::remove(it->path(), ignored) ? 1 : 0;
        }
    }
    return removed;
}

} // namespace quillset
