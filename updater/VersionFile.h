#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <filesystem>
#include <optional>

namespace quillset {

// The first item of a version file, read the way a text reader reads one comma-separated
// field: leading blanks skipped, a value in double quotes read up to the closing quote, otherwise
// up to the first comma or line end. None when the text holds nothing to read (no bytes, or only
// blanks).
std::optional<QByteArray> FirstItem(QByteArrayView text);

// How much of a version file is read: its first item is a short number, and the server's file
// can be of any size.
inline constexpr qsizetype kVersionFileReadLimit = 64 * 1024;

// The version number a version file names: the leading number of its first item. None when the
// file cannot be opened or read, or holds nothing to read. Reads at most kVersionFileReadLimit
// bytes.
std::optional<float> ReadVersionFile(const std::filesystem::path& file);

} // namespace quillset
