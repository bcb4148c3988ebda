#pragma once

#include <QtGlobal>
#include <cstdint>

namespace quillset {

// Sizes and codes of the Windows bitmap format, shared by every reader of bitmap headers.
inline constexpr qsizetype kBitmapFileHeaderBytes = 14;
inline constexpr qsizetype kBitmapCoreHeaderBytes = 12;
inline constexpr qsizetype kBitmapInfoHeaderBytes = 40;
inline constexpr std::uint32_t kBitmapUncompressed = 0;
inline constexpr std::uint32_t kBitmapBitFields = 3;
inline constexpr std::uint32_t kBitmapJpeg = 4;
inline constexpr std::uint32_t kBitmapPng = 5;

} // namespace quillset
