#pragma once

#include <QString>

namespace quillset {

// The run state of the agent, filled from the command line at load and read by every update
// step. Folder texts end in "\"; a full path is the folder followed by a bare file name.
struct UpdateState {
    QString ModuleName;
    float CurrentVersion = 0;
    float ServerVersion = 0;
    QString ModuleFolder;
    QString VersionFileName;
    QString ArchiveFileName;
    QString ProgramFileName;
    QString ArchivePassword;
};

} // namespace quillset
