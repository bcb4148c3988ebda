#pragma once

#include <filesystem>

namespace quillset {

// Starts `program` as a new, detached process with no arguments, in its own folder, without
// waiting for it. False when it could not be started.
bool StartDetachedProgram(const std::filesystem::path& program);

} // namespace quillset
