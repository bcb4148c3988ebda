#include "signature/ReleaseSignatureFile.h"

#include <limits>
#include <span>

namespace quillset {

namespace {

// Longest module name and version text accepted; real ones are a few characters.
constexpr std::size_t kMaxTokenLength = 64;

bool IsToken(std::string_view text) {
    if (text.empty() || text.size() > kMaxTokenLength)
        return false;
    for (const char ch : text)
        if (ch <= ' ' || ch > '~')
            return false;
    return true;
}

int HexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

// Lower-case hexadecimal of exactly out.size() bytes.
bool ReadHex(std::string_view text, std::span<std::uint8_t> out) {
    if (text.size() != out.size() * 2)
        return false;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

std::optional<std::uint64_t> ReadSize(std::string_view text) {
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
    Result<std::string_view, std::string> next() {
        ++number_;
        if (at_ == bytes_.size())
            return Refuse("the file ends before line " + std::to_string(number_));
        const std::size_t end = bytes_.find('\n', at_);
        if (end == std::string_view::npos)
            return Refuse("line " + std::to_string(number_) + " has no line end");
        const std::string_view line = bytes_.substr(at_, end - at_);
        if (line.find('\r') != std::string_view::npos)
            return Refuse("line " + std::to_string(number_) + " holds a carriage return");
        at_ = end + 1;
        return line;
    }
    // The value of a line "KEY VALUE", or why the next line is not one.
    Result<std::string_view, std::string> field(std::string_view key) {
        const Result<std::string_view, std::string> line = next();
        if (!line)
            return line;
        if (line->size() <= key.size() || line->substr(0, key.size()) != key ||
            (*line)[key.size()] != ' ')
            return Refuse("line " + std::to_string(number_) + " is not the \"" + std::string(key) +
                          "\" line");
        return line->substr(key.size() + 1);
    }
    std::size_t offset() const { return at_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    int number_ = 0;
};

} // namespace

Result<SignedRelease, std::string> ReadReleaseSignatureFile(std::string_view bytes) {
    if (bytes.size() > kSignatureFileLimit)
        return Refuse<std::string>("the file is larger than " +
                                   std::to_string(kSignatureFileLimit) + " bytes");
    Lines lines(bytes);
    const Result<std::string_view, std::string> tag = lines.next();
    if (!tag)
        return Refuse(tag.reason());
    if (*tag != kSignatureFileTag)
        return Refuse<std::string>("line 1 is not \"" + std::string(kSignatureFileTag) + "\"");

    SignedRelease release;
    const Result<std::string_view, std::string> module = lines.field("module");
    if (!module)
        return Refuse(module.reason());
    if (!IsToken(*module))
        return Refuse<std::string>("the module name is empty, too long or not printable ASCII");
    release.statement.module = *module;

    const Result<std::string_view, std::string> version = lines.field("version");
    if (!version)
        return Refuse(version.reason());
    if (!IsToken(*version))
        return Refuse<std::string>("the version is empty, too long or not printable ASCII");
    release.statement.version = *version;

    const Result<std::string_view, std::string> sizeText = lines.field("size");
    if (!sizeText)
        return Refuse(sizeText.reason());
    const std::optional<std::uint64_t> size = ReadSize(*sizeText);
    if (!size)
        return Refuse<std::string>("the size is not a decimal number of bytes");
    release.statement.size = *size;

    const Result<std::string_view, std::string> digest = lines.field("sha256");
    if (!digest)
        return Refuse(digest.reason());
    if (!ReadHex(*digest, release.statement.sha256))
        return Refuse<std::string>("the SHA-256 digest is not 64 lower-case hexadecimal digits");
    release.signedText = bytes.substr(0, lines.offset());

    const Result<std::string_view, std::string> signature = lines.field("signature");
    if (!signature)
        return Refuse(signature.reason());
    if (!ReadHex(*signature, release.signature))
        return Refuse<std::string>("the signature is not 128 lower-case hexadecimal digits");
    if (lines.offset() != bytes.size())
        return Refuse<std::string>("something follows the signature line");
    return release;
}

} // namespace quillset
