#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace quillset::unzip32 {

// ZIP compression methods by their numbers in the headers.
inline constexpr std::uint16_t kStored = 0;
inline constexpr std::uint16_t kDeflate = 8;
inline constexpr std::uint16_t kBzip2 = 12;
inline constexpr std::uint16_t kLzma = 14;
inline constexpr std::uint16_t kZstd = 93;
inline constexpr std::uint16_t kXz = 95;
inline constexpr std::uint16_t kPpmd = 98;
// WinZip AES encryption: the data's own method is the one the AES extra field names.
inline constexpr std::uint16_t kAesEncrypted = 99;

// What the engine decodes, every number whole. libarchive keeps only the low byte of a method, so
// 0x805F would reach its xz decoder: anything off this list is refused before it reads a byte.
// zstd's decoder keeps to its default window limit (128 MiB) and PPMd's size field counts at most
// 256 MiB, so only LZMA and xz declare more memory than the engine allows.
inline constexpr std::array kSupportedMethods{kStored, kDeflate, kBzip2, kLzma, kZstd, kXz, kPpmd};

inline bool IsSupportedMethod(std::uint16_t method) {
    return std::find(kSupportedMethods.begin(), kSupportedMethods.end(), method) !=
           kSupportedMethods.end();
}

} // namespace quillset::unzip32
