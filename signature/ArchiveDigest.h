#pragma once

#include "platform/Result.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace quillset {

// What a downloaded archive is: its length and SHA-256 digest, read in one pass.
struct ArchiveDigest {
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
};

// The digest, or why the file could not be read to its end.
Result<ArchiveDigest, std::string> DigestArchive(const std::filesystem::path& file);

// The SHA-256 digest of an open file's whole content, from its start whatever the descriptor's
// offset (which it leaves alone), or why it could not be read to its end, a pipe's included.
Result<std::array<std::uint8_t, 32>, std::string> Sha256OfFile(int fd);

} // namespace quillset
