#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillset::zip {

// Little-endian fields of ZIP records, as the format stores every number.
std::uint64_t ReadLittle(std::string_view bytes, std::size_t at, int size);
void WriteLittle(std::string& bytes, std::size_t at, std::uint64_t value, int size);
void AppendLittle(std::string& bytes, std::uint64_t value, int size);

// Where the data of the first ZIP64 extra field among `extra`'s fields starts, and its length;
// none when there is no such field or a field before it runs past the end.
struct ExtraField {
    std::size_t at = 0;
    std::size_t length = 0;
};
std::optional<ExtraField> FindZip64Extra(std::string_view extra);

// True when the four bytes at `at` are "PK" followed by `third` and `fourth`.
bool HasSignature(std::string_view bytes, std::size_t at, char third, char fourth);

inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kZip64EndRecordSize = 56;
inline constexpr std::size_t kDirectoryRecordSize = 46;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kLongestComment = 65535;
// A field that holds this has its value in the ZIP64 extra field or record.
inline constexpr std::uint32_t kInZip64 = 0xFFFFFFFF;
inline constexpr std::uint16_t kCountInZip64 = 0xFFFF;
inline constexpr std::uint16_t kZip64ExtraId = 1;

} // namespace quillset::zip
