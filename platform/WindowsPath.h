#pragma once

#include <QString>
#include <filesystem>
#include <string>

namespace quillset {

// Turns a Windows-style path text ("C:\QSET_DEMOS\QUOTATION\GLOBE.WMF", "/HOME/ME/APPS\") into a
// host path. "\" and "/" both separate components; a drive letter X: maps to the folder named by
// QUILLSET_DRIVE_X, else to the drive_x folder beside the programs (the build tree), else to the
// installed share/quillset/drive_x found relative to the programs; a path without a drive starts
// at "/" when it begins with a separator and at the working folder otherwise. Each component
// missing with its exact case is matched case-insensitively against the folder's entries;
// components that match nothing are kept as given, so new files keep their name. Where several
// entries match a component that way (app and APP), the first in name order is taken.
std::filesystem::path ResolveWindowsPath(const QString& text);

// ResolveWindowsPath, telling where it had to choose: `ambiguous` is empty when every component
// matched exactly or matched one entry ignoring case, and otherwise names the first component
// (as given, below its resolved folder) that several entries matched and none exactly.
struct PathResolution {
    std::filesystem::path path;
    QString ambiguous;
};
PathResolution ResolveWindowsPathUniquely(const QString& text);

// The host folder standing for drive `letter` (upper or lower case).
std::filesystem::path DriveFolder(QChar letter);

// The folder the running program was started from.
std::filesystem::path ProgramFolder();

// A file of the suite's private folder (the modules a program loads): beside the program in the
// build tree; once installed, in PREFIX/lib/quillset, found relative to the program so that an
// installed tree works under any prefix. Always an absolute path.
std::filesystem::path PrivateFile(const std::string& name);

} // namespace quillset
