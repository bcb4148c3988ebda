#pragma once

#include "platform/Result.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quillset {

// The signature file's line walker: every line must end in a line feed alone.
class StatementLines {
public:
    explicit StatementLines(std::string_view bytes) : bytes_(bytes) {}

    // The next line without its line feed, or why there is none.
    Result<std::string_view, std::string> next();
    // The value of a line "KEY VALUE", or why the next line is not one.
    Result<std::string_view, std::string> field(std::string_view key);
    // "line N", N the line last read: reasons name it.
    std::string where() const { return "line " + std::to_string(number_); }
    int number() const { return number_; }
    std::size_t offset() const { return at_; }
    std::size_t remaining() const { return bytes_.size() - at_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    int number_ = 0;
};

// VALUE when `line` is "KEY VALUE".
std::optional<std::string_view> FieldValue(std::string_view line, std::string_view key);

// The value of a hexadecimal digit in one case (`ten` is 'a' or 'A'), or -1.
int HexDigit(char ch, char ten);

// Lower-case hexadecimal of exactly out.size() bytes.
bool ReadHex(std::string_view text, std::span<std::uint8_t> out);

// A number in `base` (8 or 10) without leading zeros and at most `max`.
std::optional<std::uint64_t> ReadNumber(std::string_view text, unsigned base, std::uint64_t max);

} // namespace quillset
