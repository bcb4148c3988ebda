#include "signature/ReleaseSignatureFile.h"

#include "signature/SignedEntries.h"
#include "signature/StatementLines.h"

#include <limits>

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

// The lines both versions share after the tag: module, version, and the archive's size and
// digest.
Result<ReleaseStatement, std::string> ReadArchiveLines(StatementLines& lines) {
    ReleaseStatement statement;
    const Result<std::string_view, std::string> module = lines.field("module");
    if (!module)
        return Refuse(module.reason());
    if (!IsToken(*module))
        return Refuse<std::string>("the module name is empty, too long or not printable ASCII");
    statement.module = *module;

    const Result<std::string_view, std::string> version = lines.field("version");
    if (!version)
        return Refuse(version.reason());
    if (!IsToken(*version))
        return Refuse<std::string>("the version is empty, too long or not printable ASCII");
    statement.version = *version;

    const Result<std::string_view, std::string> sizeText = lines.field("size");
    if (!sizeText)
        return Refuse(sizeText.reason());
    const std::optional<std::uint64_t> size =
        ReadNumber(*sizeText, 10, std::numeric_limits<std::uint64_t>::max());
    if (!size)
        return Refuse<std::string>("the size is not a decimal number of bytes");
    statement.size = *size;

    const Result<std::string_view, std::string> digest = lines.field("sha256");
    if (!digest)
        return Refuse(digest.reason());
    if (!ReadHex(*digest, statement.sha256))
        return Refuse<std::string>("the SHA-256 digest is not 64 lower-case hexadecimal digits");
    return statement;
}

// The signature line, which ends the file.
Result<std::array<std::uint8_t, 64>, std::string>
ReadSignatureLine(StatementLines& lines, std::size_t entryCount, std::size_t fileSize) {
    const Result<std::string_view, std::string> line = lines.next();
    if (!line)
        return Refuse(line.reason());
    if (entryCount != 0 && FieldValue(*line, "entry"))
        return Refuse(lines.where() + " is an entry beyond the " + std::to_string(entryCount) +
                      " that line 6 counts");
    const std::optional<std::string_view> value = FieldValue(*line, "signature");
    if (!value)
        return Refuse(lines.where() + " is not the \"signature\" line");
    std::array<std::uint8_t, 64> signature{};
    if (!ReadHex(*value, signature))
        return Refuse<std::string>("the signature is not 128 lower-case hexadecimal digits");
    if (lines.offset() != fileSize)
        return Refuse<std::string>("something follows the signature line");
    return signature;
}

} // namespace

Result<SignedRelease, std::string> ReadReleaseSignatureFile(std::string_view bytes) {
    if (bytes.size() > kSignatureFileLimitV2)
        return Refuse<std::string>("the file is larger than " +
                                   std::to_string(kSignatureFileLimitV2) + " bytes");
    StatementLines lines(bytes);
    const Result<std::string_view, std::string> tag = lines.next();
    if (!tag)
        return Refuse(tag.reason());
    const bool manifest = *tag == kSignatureFileTagV2;
    if (*tag != kSignatureFileTag && !manifest)
        return Refuse<std::string>("line 1 is not \"" + std::string(kSignatureFileTag) +
                                   "\" or \"" + std::string(kSignatureFileTagV2) + "\"");
    // A version 1 file keeps its own small bound.
    if (!manifest && bytes.size() > kSignatureFileLimit)
        return Refuse<std::string>("the file is larger than " +
                                   std::to_string(kSignatureFileLimit) + " bytes");

    SignedRelease release;
    Result<ReleaseStatement, std::string> statement = ReadArchiveLines(lines);
    if (!statement)
        return Refuse(statement.reason());
    release.statement = std::move(*statement);
    if (manifest) {
        Result<std::vector<SignedEntry>, std::string> entries = ReadSignedEntries(lines);
        if (!entries)
            return Refuse(entries.reason());
        release.statement.entries = std::move(*entries);
    }
    release.signedText = bytes.substr(0, lines.offset());

    const Result<std::array<std::uint8_t, 64>, std::string> signature =
        ReadSignatureLine(lines, release.statement.entries.size(), bytes.size());
    if (!signature)
        return Refuse(signature.reason());
    release.signature = *signature;
    return release;
}

} // namespace quillset
