#pragma once

#include <QString>
#include <filesystem>

namespace quillset {

// Turns a Windows-style path text ("C:\QSET_DEMOS\QUOTATION\GLOBE.WMF", "/HOME/ME/APPS\") into a
// host path. "\" and "/" both separate components; a drive letter X: maps to the folder named by
// QUILLSET_DRIVE_X, else to the drive_x folder beside the programs (the build tree), else to the
// installed share/quillset/drive_x found relative to the programs; a path without a drive starts
// at "/". Each component missing with its exact case is matched case-insensitively against the
// folder's entries; components that match nothing are kept as given, so new files keep their name.
std::filesystem::path ResolveWindowsPath(const QString& text);

// The host folder standing for drive `letter` (upper or lower case).
std::filesystem::path DriveFolder(QChar letter);

// The folder the running program was started from.
std::filesystem::path ProgramFolder();

} // namespace quillset
