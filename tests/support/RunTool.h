#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

namespace quillset::test {

// Whether `program` is on the PATH.
bool HaveTool(const QString& program);
// Runs a tool without a shell; answers its exit code (-1 when it could not start or end).
int RunTool(const QString& program, const QStringList& arguments,
            const std::filesystem::path& workFolder = {});

} // namespace quillset::test
