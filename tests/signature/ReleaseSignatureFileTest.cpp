#include "signature/ReleaseSignatureFile.h"
#include "tests/signature/TestSigner.h"

#include <gtest/gtest.h>
#include <tuple>

namespace quillset::test {
namespace {

const std::string kDigest(64, 'c');
const std::string kSignature = std::string(64, '0') + std::string(64, 'f');
const std::string kStatement = StatementText("EDITOR", "2.5", 52817, kDigest);
const std::string kFile = kStatement + "signature " + kSignature + "\n";
// Version 2, with a program, a folder and a name holding a space, UTF-8, '%' and a control byte.
const std::string kEntries = "entry " + kDigest + " 5 100755 EDITOR.EXE\nentry " +
                             std::string(64, 'e') + " 0 40755 sub/\nentry " + kDigest +
                             " 18446744073709551615 0 sub/My%20Notes%20%C3%BC%25%7F.txt\n";
const std::string kStatementV2 = StatementText("EDITOR", "2.5", 52817, kDigest, kEntries);
const std::string kFileV2 = kStatementV2 + "signature " + kSignature + "\n";

// `file` with its first `from` replaced by `to`.
std::string Edited(const std::string& from, const std::string& to,
                   const std::string& file = kFile) {
    std::string text = file;
    const size_t at = text.find(from);
    if (at == std::string::npos)
        throw std::logic_error("not in the file: " + from);
    return text.replace(at, from.size(), to);
}

std::string WithCrLf() {
    std::string text;
    for (const char ch : kFile)
        text += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return text;
}

TEST(ReleaseSignatureFile, ReadsEveryFieldAndTheSignedBytes) {
    const Result<SignedRelease, std::string> reading = ReadReleaseSignatureFile(kFile);
    ASSERT_TRUE(reading) << reading.reason();
    const SignedRelease& release = *reading;
    EXPECT_EQ(release.statement.module, "EDITOR");
    EXPECT_EQ(release.statement.version, "2.5");
    EXPECT_EQ(release.statement.size, 52817u);
    EXPECT_EQ(HexText(release.statement.sha256.data(), 32), kDigest);
    EXPECT_EQ(HexText(release.signature.data(), 64), kSignature);
    EXPECT_EQ(release.signedText, kStatement);
}

TEST(ReleaseSignatureFile, ReadsTheManifestByteForByte) {
    const Result<SignedRelease, std::string> reading = ReadReleaseSignatureFile(kFileV2);
    ASSERT_TRUE(reading) << reading.reason();
    const std::vector<SignedEntry>& entries = reading->statement.entries;
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name + entries[1].name + entries[2].name,
              "EDITOR.EXEsub/sub/My Notes \xc3\xbc%\x7f.txt");
    EXPECT_EQ(std::tuple(entries[0].size, entries[0].mode, entries[2].size, entries[2].mode),
              std::tuple(5u, 0100755u, ~std::uint64_t{0}, 0u));
    EXPECT_EQ(HexText(entries[1].sha256.data(), 32), std::string(64, 'e'));
    EXPECT_EQ(reading->signedText, kStatementV2);
}

TEST(ReleaseSignatureFile, SizesAtTheEndsOfTheRangeAreRead) {
    for (const auto& [text, size] :
         {std::pair{"0", std::uint64_t{0}}, {"18446744073709551615", ~std::uint64_t{0}}}) {
        const Result<SignedRelease, std::string> reading =
            ReadReleaseSignatureFile(Edited("52817", text));
        ASSERT_TRUE(reading) << text << ": " << reading.reason();
        EXPECT_EQ(reading->statement.size, size);
    }
}

struct Malformed {
    const char* name;
    std::string bytes;
    const char* error;
};

TEST(ReleaseSignatureFile, RefusesEveryMalformedFileWithItsReason) {
    const Malformed cases[] = {
        {"Empty", "", "the file ends before line 1"},
        {"TruncatedInTheTag", kFile.substr(0, 10), "line 1 has no line end"},
        {"TruncatedAfterTheStatement", kStatement, "the file ends before line 6"},
        {"TruncatedInTheSignature", kFile.substr(0, kFile.size() - 20), "line 6 has no line end"},
        {"NoLineEndAfterTheSignature", kFile.substr(0, kFile.size() - 1), "line 6 has no line end"},
        {"ExtraLineAfterTheSignature", kFile + "comment signed by me\n",
         "something follows the signature line"},
        {"BlankLineAfterTheSignature", kFile + "\n", "something follows the signature line"},
        {"ExtraLineInTheStatement", Edited("version ", "note x\nversion "),
         "line 3 is not the \"version\" line"},
        {"CrLfLineEnds", WithCrLf(), "line 1 holds a carriage return"},
        {"CarriageReturnInAValue", Edited("2.5\n", "2.5\r\n"), "line 3 holds a carriage return"},
        {"OtherFormatVersion", Edited("signature 1\n", "signature 3\n"), "line 1 is not"},
        {"FieldsReordered", Edited("module EDITOR\nversion 2.5", "version 2.5\nmodule EDITOR"),
         "line 2 is not the \"module\" line"},
        {"KeyWithoutValue", Edited("module EDITOR", "module"), "line 2 is not the \"module\""},
        {"TabAfterTheKey", Edited("module EDITOR", "module\tEDITOR"), "line 2 is not"},
        {"KeyPrefixOnly", Edited("size 52817", "sizes 52817"), "line 4 is not the \"size\""},
        {"EmptyModule", Edited("module EDITOR", "module "), "the module name is empty"},
        {"SpaceInTheModule", Edited("module EDITOR", "module ED ITOR"), "the module name"},
        {"ModuleOutsideAscii",
         Edited("EDITOR", "\xc3\x89"
                          "DITOR"),
         "the module name"},
        {"ModuleTooLong", Edited("EDITOR", std::string(65, 'E')), "the module name"},
        {"NulInTheVersion",
         Edited("2.5", std::string("2\0"
                                   "5",
                                   3)),
         "the version is"},
        {"TrailingBlankOnTheVersion", Edited("2.5\n", "2.5 \n"), "the version is"},
        {"SizeWithLeadingZero", Edited("52817", "052817"), "the size is not"},
        {"NegativeSize", Edited("52817", "-1"), "the size is not"},
        {"SizePastSixtyFourBits", Edited("52817", "18446744073709551616"), "the size is not"},
        {"SizeWithUnit", Edited("52817", "52817B"), "the size is not"},
        {"DigestOneDigitShort", Edited(kDigest, kDigest.substr(1)), "not 64 lower-case"},
        {"DigestOneDigitLong", Edited(kDigest, kDigest + "c"), "not 64 lower-case"},
        {"DigestOfSha1Length", Edited(kDigest, kDigest.substr(0, 40)), "not 64 lower-case"},
        {"DigestInUpperCase", Edited(kDigest, std::string(64, 'C')), "not 64 lower-case"},
        {"DigestNotHex", Edited(kDigest, std::string(63, 'c') + "g"), "not 64 lower-case"},
        {"SignatureOneDigitShort", Edited(kSignature, kSignature.substr(1)), "not 128 lower-case"},
        {"SignatureAsBase64", Edited(kSignature, std::string(86, 'A') + "=="),
         "not 128 lower-case"},
        {"OversizedFile", kFile + std::string(kSignatureFileLimit, '#'), "larger than 4096"},
        {"V2Oversized", kFileV2 + std::string(kSignatureFileLimitV2, '#'), "larger than 16777216"},
        {"V2WithoutEntries", Edited("entries 3\n", "", kFileV2), "line 6 is not the \"entries\""},
        {"V2CountsNone", Edited("entries 3", "entries 0", kFileV2), "line 6: the entry count"},
        {"V2CountsTooMany", Edited("entries 3", "entries 1000001", kFileV2), "line 6: the entry"},
        {"V2CountsMore", Edited("entries 3", "entries 4", kFileV2),
         "line 10 ends the entries after 3 of the 4 that line 6 counts"},
        {"V2CountsFewer", Edited("entries 3", "entries 2", kFileV2),
         "line 9 is an entry beyond the 2 that line 6 counts"},
        {"V2NameRepeated", Edited(" EDITOR.EXE\n", " sub/\n", kFileV2),
         "line 8 names the entry of line 7 again"},
        {"V2EscapeInLowerCase", Edited("%C3", "%c3", kFileV2), "line 9: the entry's name holds"},
        {"V2EscapeNotNeeded", Edited(" EDITOR.EXE", " %45DITOR.EXE", kFileV2),
         "line 7: the entry's name"},
        {"V2EscapeCutShort", Edited("%7F.txt", "%7", kFileV2), "line 9: the entry's name holds"},
        {"V2SpaceNotEscaped", Edited("My%20", "My ", kFileV2), "line 9: the entry's name holds"},
        {"V2NameTooLong", Edited("sub/\n", std::string(4097, 's') + "\n", kFileV2),
         "line 8: the entry's name is empty or longer than 4096 bytes"},
        {"V2NoName", Edited(" EDITOR.EXE", "", kFileV2), "line 7 is not \"entry SHA256"},
        {"V2ModeNotOctal", Edited("100755", "100855", kFileV2), "line 7: the entry's mode"},
        {"V2ModeOver16Bits", Edited("100755", "200000", kFileV2), "line 7: the entry's mode"},
        {"V2SizeWithLeadingZero", Edited(" 5 ", " 05 ", kFileV2), "line 7: the entry's size"},
        {"V2DigestInUpperCase", Edited(std::string(64, 'e'), std::string(64, 'E'), kFileV2),
         "line 8: the entry's SHA-256"},
        {"V2CarriageReturn", Edited("sub/\n", "sub/\r\n", kFileV2), "line 8 holds a carriage"},
        {"V2LineAfterTheSignature", kFileV2 + "\n", "something follows the signature line"},
    };
    for (const Malformed& c : cases) {
        const Result<SignedRelease, std::string> reading = ReadReleaseSignatureFile(c.bytes);
        EXPECT_FALSE(reading) << c.name;
        const std::string error = reading ? std::string() : reading.reason();
        EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    }
}

} // namespace
} // namespace quillset::test
