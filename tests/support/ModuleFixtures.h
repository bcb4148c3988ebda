#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillset::test {

// The environment variable naming the file a marked program appends its version to.
inline constexpr const char* kMarkerVariable = "QUILLSET_FAULT_MARKER";

// A module program for the tests: a script named EDITOR.EXE in `folder` that appends `version`
// to `markerFile` (a shell word; by default STARTED.TXT beside the program), so a test can tell
// which program ran, and whether one ran at all.
void WriteModuleProgram(const std::filesystem::path& folder, const std::string& version,
                        const std::string& markerFile = "$(dirname \"$0\")/STARTED.TXT");
// The same program appending to the file named by kMarkerVariable, which may lie outside the
// module so that a full module disk does not hide a start.
void WriteMarkedProgram(const std::filesystem::path& folder, const std::string& version);

// What the module program in `folder` writes when run as its starting program runs it, with
// kMarkerVariable naming `marker` (emptied first): the check that the module's program file runs.
std::string RunModuleProgram(const std::filesystem::path& folder,
                             const std::filesystem::path& marker);

// What `marker` holds once it is `expected`, or after five seconds: a detached start of a module
// program is told a moment later.
std::string AwaitStarted(const std::filesystem::path& marker, const std::string& expected);

// `size` bytes that do not compress, the same for the same `seed`: entries whose transfer and
// unpack take a while, and archives large enough to be cut half-way.
std::string IncompressibleBytes(std::size_t size, std::uint32_t seed);

// The files of a new module version beside its program: README.TXT naming `version` and
// DATA/TABLE.DAT, 50,000 incompressible bytes, so that the archive is large enough to be cut
// half-way and the entry fills most of it.
void WriteModuleFiles(const std::filesystem::path& folder, const std::string& version);

// Flips the bytes `from` to `to` past where `entry` is named in `archive`: inside the entry's
// compressed data when the name is its local header's. False when the name is not there.
bool DamageEntryData(const std::filesystem::path& archive, const std::string& entry,
                     std::size_t from, std::size_t to);

// What a module folder holds, path by path: a file's kind, executable bit, size and a digest of
// its bytes, a link's target, or a folder. Two versions of a module compare as snapshots.
using ModuleSnapshot = std::map<std::string, std::string>;

std::string DescribeEntry(const std::filesystem::path& path);

// The snapshot of `folder`, leaving out the top-level names in `ignored`.
ModuleSnapshot SnapshotOf(const std::filesystem::path& folder,
                          const std::set<std::string>& ignored = {});

// Temporaries and working files of the agent: its hidden names in any case, partial transfers
// and the engine's temporaries, anywhere in the module.
std::vector<std::string> AgentLeftovers(const std::filesystem::path& folder);

} // namespace quillset::test
