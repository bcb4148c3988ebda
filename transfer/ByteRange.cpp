#include "transfer/ByteRange.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillset {

namespace {

constexpr long kWholeContent = 200;
constexpr long kPartialContent = 206;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The value of `line` when it is the header `name` (any case), else nothing.
bool HeaderValue(std::string_view line, std::string_view name, std::string_view& value) {
    if (line.size() <= name.size() || line[name.size()] != ':')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i])
            return false;
    value = Trimmed(line.substr(name.size() + 1));
    return true;
}

bool Number(std::string_view text, std::uint64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

// "bytes A-B/T"; false for anything else, "*" for the total included.
bool ReadContentRange(std::string_view value, RangeAnswer& answer) {
    if (!value.starts_with("bytes "))
        return false;
    value.remove_prefix(6);
    const std::size_t dash = value.find('-');
    const std::size_t slash = value.find('/');
    return dash != std::string_view::npos && slash != std::string_view::npos && dash < slash &&
           Number(value.substr(0, dash), answer.first) &&
           Number(value.substr(dash + 1, slash - dash - 1), answer.last) &&
           Number(value.substr(slash + 1), answer.total) && answer.first <= answer.last &&
           answer.last < answer.total;
}

} // namespace

std::string ByteRange::header() const {
    return fromEnd ? "bytes=-" + std::to_string(first)
                   : "bytes=" + std::to_string(first) + "-" + std::to_string(last);
}

void ReadRangeHeader(std::string_view line, RangeAnswer& answer) {
    line = Trimmed(line);
    std::string_view value;
    if (line.starts_with("HTTP/")) {
        answer = RangeAnswer{};
    } else if (HeaderValue(line, "content-range", value)) {
        answer.placed = ReadContentRange(value, answer);
    } else if (HeaderValue(line, "etag", value)) {
        // A weak ETag may not be used in If-Range.
        if (!value.starts_with("W/"))
            answer.validator = std::string(value);
    } else if (HeaderValue(line, "last-modified", value) && answer.validator.empty()) {
        answer.validator = std::string(value);
    }
}

QString RangeAnswerProblem(const ByteRange& asked, long status, RangeAnswer& answer,
                           const RangeCondition& condition) {
    answer.whole = status == kWholeContent && condition.wholeWelcome;
    if (answer.whole)
        return {};
    if (status != kPartialContent)
        return QStringLiteral("the server answered a range with status %1").arg(status);
    if (!answer.placed)
        return QStringLiteral("the server's piece says not where it lies");
    const bool where = asked.fromEnd ? answer.last + 1 == answer.total &&
                                           answer.length() == std::min(asked.first, answer.total)
                                     : answer.first == asked.first && answer.last == asked.last;
    if (!where || (condition.total != 0 && answer.total != condition.total))
        return QStringLiteral("the server sent bytes %1-%2/%3 for %4")
            .arg(answer.first)
            .arg(answer.last)
            .arg(answer.total)
            .arg(QString::fromStdString(asked.header()));
    return {};
}

} // namespace quillset
