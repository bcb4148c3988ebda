#pragma once

#include "unzip32/Problem.h"

#include <string>

namespace quillset::unzip32 {

// The archive comment stored after the end-of-central-directory record of a ZIP file (empty when
// there is none), or the problem that kept it from being read. libarchive does not expose it.
Made<std::string> ReadArchiveComment(const std::string& path);

} // namespace quillset::unzip32
