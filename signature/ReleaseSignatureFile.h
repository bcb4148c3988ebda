#pragma once

#include "platform/Result.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillset {

// The signature file a publisher writes beside NAME.VER and NAME.ZIP, as plain text lines, each
// ended by a line feed alone. Version 1:
//
//   quillset-release-signature 1
//   module NAME
//   version VERSION
//   size BYTES
//   sha256 DIGEST
//   signature SIGNATURE
//
// Version 2 adds, after the sha256 line, the archive's manifest, so that each entry can be
// checked on its own:
//
//   entries COUNT
//   entry SHA256 SIZE MODE NAME      (COUNT lines, in the order of the archive's directory)
//
// Every line before the signature line is the statement; SIGNATURE is the Ed25519 signature over
// their exact bytes, line feeds included. DIGEST and SHA256 (32 bytes) and SIGNATURE (64 bytes)
// are lower-case hexadecimal, BYTES, COUNT and SIZE decimal numbers without leading zeros, NAME
// (the module) and VERSION printable ASCII without spaces. An entry's SHA256 and SIZE are those of
// its uncompressed content (a folder's is empty, a symbolic link's is its target), MODE the Unix
// mode the archive stores for it in octal, type bits included ("0": none), and NAME its name's
// bytes as the archive stores them, each byte outside '!'..'~' and each '%' written as %XX
// (upper-case hexadecimal). Nothing may follow the signature line.
inline constexpr std::string_view kSignatureFileTag = "quillset-release-signature 1";
inline constexpr std::string_view kSignatureFileTagV2 = "quillset-release-signature 2";

// The largest version 1 file read; a real one is about 300 bytes.
inline constexpr std::size_t kSignatureFileLimit = 4096;
// The largest version 2 file read: about 200,000 entries' lines.
inline constexpr std::size_t kSignatureFileLimitV2 = 16 << 20;
// Bounds of a version 2 manifest: the entries it may count, and an entry's name, which is the
// unzip engine's own bound on a name.
inline constexpr std::size_t kMaxSignedEntries = 1'000'000;
inline constexpr std::size_t kMaxSignedEntryName = 4096;

struct SignedEntry {
    std::string name;       // the entry's name as the archive stores it, byte for byte
    std::uint64_t size = 0; // uncompressed
    std::uint32_t mode = 0; // Unix mode as the archive stores it (type and permissions); 0: none
    std::array<std::uint8_t, 32> sha256{};
};

struct ReleaseStatement {
    std::string module;
    std::string version;
    std::uint64_t size = 0;
    std::array<std::uint8_t, 32> sha256{};
    // In the directory's order; empty in a version 1 statement. A version 2 statement lists at
    // least one entry, so the two never look alike.
    std::vector<SignedEntry> entries;
};

struct SignedRelease {
    ReleaseStatement statement;
    // The exact bytes the signature covers: the statement's lines.
    std::string signedText;
    std::array<std::uint8_t, 64> signature{};
};

// Reads a signature file's bytes, either version, as hostile input: the release, or, for
// anything but the exact layout above, the reason naming the line at fault. Besides the layout,
// a version 2 file is refused when its names repeat, when it is longer than
// kSignatureFileLimitV2, or when it counts more than kMaxSignedEntries entries or names one
// longer than kMaxSignedEntryName; what it holds in memory is bounded by its size.
Result<SignedRelease, std::string> ReadReleaseSignatureFile(std::string_view bytes);

} // namespace quillset
