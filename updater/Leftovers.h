#pragma once

#include <QStringList>
#include <filesystem>

namespace quillset {

// Removes the temporaries a run that was killed left in the module folder: partial transfers of
// the local copies named in `localCopies` ("EDITOR.ZIP.part-XXXXXX") and the engine's temporaries
// (".uz-PID-N") anywhere in the module's tree. Answers how many it removed.
int RemoveLeftoverTemporaries(const std::filesystem::path& module, const QStringList& localCopies);

} // namespace quillset
