#include "signature/StatementLines.h"

namespace quillset {

Result<std::string_view, std::string> StatementLines::next() {
    ++number_;
    if (at_ == bytes_.size())
        return Refuse("the file ends before " + where());
    const std::size_t end = bytes_.find('\n', at_);
    if (end == std::string_view::npos)
        return Refuse(where() + " has no line end");
    const std::string_view line = bytes_.substr(at_, end - at_);
    if (line.find('\r') != std::string_view::npos)
        return Refuse(where() + " holds a carriage return");
    at_ = end + 1;
    return line;
}

Result<std::string_view, std::string> StatementLines::field(std::string_view key) {
    const Result<std::string_view, std::string> line = next();
    if (!line)
        return line;
    if (const std::optional<std::string_view> value = FieldValue(*line, key))
        return *value;
    return Refuse(where() + " is not the \"" + std::string(key) + "\" line");
}

std::optional<std::string_view> FieldValue(std::string_view line, std::string_view key) {
    if (line.size() <= key.size() || !line.starts_with(key) || line[key.size()] != ' ')
        return std::nullopt;
    return line.substr(key.size() + 1);
}

int HexDigit(char ch, char ten) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= ten && ch < ten + 6)
        return ch - ten + 10;
    return -1;
}

bool ReadHex(std::string_view text, std::span<std::uint8_t> out) {
    if (text.size() != out.size() * 2)
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = HexDigit(text[2 * i], 'a');
        const int low = HexDigit(text[2 * i + 1], 'a');
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

std::optional<std::uint64_t> ReadNumber(std::string_view text, unsigned base, std::uint64_t max) {
    if (text.empty() || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch >= static_cast<char>('0' + base))
            return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(ch - '0');
        if (digit > max || value > (max - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

} // namespace quillset
