#include "platform/ProcessStart.h"

#include <QProcess>
#include <QString>

namespace quillset {

bool StartDetachedProgram(const std::filesystem::path& program) {
    QProcess process;
    process.setProgram(QString::fromStdString(program.string()));
    process.setWorkingDirectory(QString::fromStdString(program.parent_path().string()));
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace quillset
