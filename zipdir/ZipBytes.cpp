#include "zipdir/ZipBytes.h"

namespace quillset::zip {

std::uint64_t ReadLittle(std::string_view bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return value;
}

void WriteLittle(std::string& bytes, std::size_t at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i, value >>= 8)
        bytes[at + std::size_t(i)] = static_cast<char>(value & 0xFF);
}

void AppendLittle(std::string& bytes, std::uint64_t value, int size) {
    bytes.resize(bytes.size() + std::size_t(size));
    WriteLittle(bytes, bytes.size() - std::size_t(size), value, size);
}

std::optional<ExtraField> FindZip64Extra(std::string_view extra) {
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::size_t length = ReadLittle(extra, at + 2, 2);
        if (at + 4 + length > extra.size())
            return std::nullopt;
        if (ReadLittle(extra, at, 2) == kZip64ExtraId)
            return ExtraField{at + 4, length};
        at += 4 + length;
    }
    return std::nullopt;
}

bool HasSignature(std::string_view bytes, std::size_t at, char third, char fourth) {
    return at + 4 <= bytes.size() && bytes[at] == 'P' && bytes[at + 1] == 'K' &&
           bytes[at + 2] == third && bytes[at + 3] == fourth;
}

} // namespace quillset::zip
