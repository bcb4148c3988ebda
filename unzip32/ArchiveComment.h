#pragma once

#include <string>

namespace quillset::unzip32 {

// The archive comment stored after the end-of-central-directory record of a ZIP file, or an
// empty text when there is none or the file cannot be read. libarchive does not expose it.
std::string ReadArchiveComment(const std::string& path);

} // namespace quillset::unzip32
