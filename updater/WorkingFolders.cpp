#include "updater/WorkingFolders.h"

#include <QString>

namespace quillset {

bool IsReservedName(const std::string& name) {
    return QString::fromStdString(name).startsWith(QLatin1String(".tlupdater"),
                                                   Qt::CaseInsensitive);
}

bool IsPartialTransfer(const std::string& name, const std::vector<std::string>& localCopies) {
    for (const std::string& copy : localCopies) {
        const QString prefix = QString::fromStdString(copy + kPartialTransferInfix);
        const QString text = QString::fromStdString(name);
        if (text.size() == prefix.size() + 6 && text.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace quillset
