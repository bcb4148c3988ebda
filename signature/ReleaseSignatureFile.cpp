#include "signature/ReleaseSignatureFile.h"

#include <limits>
#include <span>

namespace quillset {

namespace {

// Longest module name and version text accepted; real ones are a few characters.
constexpr std::size_t kMaxTokenLength = 64;

bool isToken(std::string_view text) {
    if (text.empty() || text.size() > kMaxTokenLength)
        return false;
    for (const char ch : text)
        if (ch <= ' ' || ch > '~')
            return false;
    return true;
}

int hexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

// Lower-case hexadecimal of exactly out.size() bytes.
bool readHex(std::string_view text, std::span<std::uint8_t> out) {
    if (text.size() != out.size() * 2)
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = hexValue(text[2 * i]);
        const int low = hexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

std::optional<std::uint64_t> readSize(std::string_view text) {
    if (text.empty() || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9')
            return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(ch - '0');
        if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

// Walks the file line by line; every line must end in a line feed.
class Lines {
public:
    explicit Lines(std::string_view bytes) : bytes_(bytes) {}

    // The next line without its line feed, or why there is none.
    std::optional<std::string_view> next(std::string& error) {
        ++number_;
        if (at_ == bytes_.size()) {
            error = "the file ends before line " + std::to_string(number_);
            return std::nullopt;
        }
        const std::size_t end = bytes_.find('\n', at_);
        if (end == std::string_view::npos) {
            error = "line " + std::to_string(number_) + " has no line end";
            return std::nullopt;
        }
        const std::string_view line = bytes_.substr(at_, end - at_);
        if (line.find('\r') != std::string_view::npos) {
            error = "line " + std::to_string(number_) + " holds a carriage return";
            return std::nullopt;
        }
        at_ = end + 1;
        return line;
    }
    // The value of a line "KEY VALUE", or why the next line is not one.
    std::optional<std::string_view> field(std::string_view key, std::string& error) {
        const std::optional<std::string_view> line = next(error);
        if (!line)
            return std::nullopt;
        if (line->size() <= key.size() || line->substr(0, key.size()) != key ||
            (*line)[key.size()] != ' ') {
            error =
                "line " + std::to_string(number_) + " is not the \"" + std::string(key) + "\" line";
            return std::nullopt;
        }
        return line->substr(key.size() + 1);
    }
    std::size_t offset() const { return at_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    int number_ = 0;
};

SignatureFileReading refused(std::string error) {
    return {std::nullopt, std::move(error)};
}

} // namespace

SignatureFileReading ReadReleaseSignatureFile(std::string_view bytes) {
    if (bytes.size() > kSignatureFileLimit)
        return refused("the file is larger than " + std::to_string(kSignatureFileLimit) + " bytes");
    Lines lines(bytes);
    std::string error;
    const std::optional<std::string_view> tag = lines.next(error);
    if (!tag)
        return refused(error);
    if (*tag != kSignatureFileTag)
        return refused("line 1 is not \"" + std::string(kSignatureFileTag) + "\"");

    SignedRelease release;
    const std::optional<std::string_view> module = lines.field("module", error);
    if (!module)
        return refused(error);
    if (!isToken(*module))
        return refused("the module name is empty, too long or not printable ASCII");
    release.statement.module = *module;

    const std::optional<std::string_view> version = lines.field("version", error);
    if (!version)
        return refused(error);
    if (!isToken(*version))
        return refused("the version is empty, too long or not printable ASCII");
    release.statement.version = *version;

    const std::optional<std::string_view> sizeText = lines.field("size", error);
    if (!sizeText)
        return refused(error);
    const std::optional<std::uint64_t> size = readSize(*sizeText);
    if (!size)
        return refused("the size is not a decimal number of bytes");
    release.statement.size = *size;

    const std::optional<std::string_view> digest = lines.field("sha256", error);
    if (!digest)
        return refused(error);
    if (!readHex(*digest, release.statement.sha256))
        return refused("the SHA-256 digest is not 64 lower-case hexadecimal digits");
    release.signedText = bytes.substr(0, lines.offset());

    const std::optional<std::string_view> signature = lines.field("signature", error);
    if (!signature)
        return refused(error);
    if (!readHex(*signature, release.signature))
        return refused("the signature is not 128 lower-case hexadecimal digits");
    if (lines.offset() != bytes.size())
        return refused("something follows the signature line");
    return {std::move(release), {}};
}

} // namespace quillset
