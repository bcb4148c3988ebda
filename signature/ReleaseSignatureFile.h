#pragma once

#include "platform/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillset {

// The signature file a publisher writes beside NAME.VER and NAME.ZIP, as plain text lines, each
// ended by a line feed alone:
//
//   quillset-release-signature 1
//   module NAME
//   version VERSION
//   size BYTES
//   sha256 DIGEST
//   signature SIGNATURE
//
// The first five lines are the statement; SIGNATURE is the Ed25519 signature over their exact
// bytes, line feeds included. DIGEST (32 bytes) and SIGNATURE (64 bytes) are lower-case
// hexadecimal, BYTES is a decimal number without leading zeros, NAME and VERSION are printable
// ASCII without spaces. Nothing may follow the signature line.
inline constexpr std::string_view kSignatureFileTag = "quillset-release-signature 1";

// The largest signature file read; a real one is about 300 bytes.
inline constexpr std::size_t kSignatureFileLimit = 4096;

struct ReleaseStatement {
    std::string module;
    std::string version;
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
};

struct SignedRelease {
    ReleaseStatement statement;
    // The exact bytes the signature covers: the statement's lines.
    std::string signedText;
    std::array<std::uint8_t, 64> signature{};
};

// Reads a signature file's bytes as hostile input: the release, or, for anything but the exact
// layout above, the reason naming the line at fault.
Result<SignedRelease, std::string> ReadReleaseSignatureFile(std::string_view bytes);

} // namespace quillset
