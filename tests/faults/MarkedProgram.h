#pragma once

#include "tests/updater/EndToEndFixture.h"

#include <filesystem>
#include <string>

namespace quillset::testing {

// The environment variable naming the file each started program appends its version to.
inline constexpr const char* kMarkerVariable = "QUILLSET_FAULT_MARKER";

// An executable EDITOR.EXE in `folder` that records `version` in the marker file when started,
// so a test can tell which version the agent started, and whether it started one at all.
inline void WriteMarkedProgram(const std::filesystem::path& folder, const std::string& version) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    writeFile(folder / "EDITOR.EXE",
              "#!/bin/sh\necho " + version + " >> \"$" + kMarkerVariable + "\"\n");
    fs::permissions(folder / "EDITOR.EXE", fs::perms::owner_all | fs::perms::group_read |
                                               fs::perms::group_exec | fs::perms::others_read |
                                               fs::perms::others_exec);
}

} // namespace quillset::testing
