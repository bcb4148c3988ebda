#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quillset {

// What a downloaded archive is: its length and SHA-256 digest, read in one pass.
struct ArchiveDigest {
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
    // Why the file could not be read to its end; empty when size and digest are valid.
    std::string error;
};

ArchiveDigest DigestArchive(const std::filesystem::path& file);

} // namespace quillset
