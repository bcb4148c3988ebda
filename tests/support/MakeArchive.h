#pragma once

#include <filesystem>
#include <string>

namespace quillset::test {

// Writes an archive of a kind of tests/unzip/make_archive.py; true when it was written.
bool MakeArchive(const std::string& kind, const std::filesystem::path& out);

} // namespace quillset::test
