#include "signature/ReleaseCheck.h"
#include "signature/ArchiveDigest.h"
#include "tests/signature/TestSigner.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <openssl/sha.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset::test {
namespace {

namespace fs = std::filesystem;

std::string Sha256Hex(const std::string& bytes) {
    std::array<std::uint8_t, 32> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
    return HexText(digest.data(), digest.size());
}

// A release of EDITOR 2.5 signed by the publisher, and what can be done to it.
struct Release {
    explicit Release(const TestSigner& by) : signer(&by) {}

    std::string archive = std::string(3000, 'Z') + "PK archive bytes";
    std::string module = "EDITOR";
    std::string version = "2.5";
    // Version 2: the signature covers the manifest too.
    std::string entries = "entry " + Sha256Hex("a") + " 1 100644 A.TXT\n";
    const TestSigner* signer;
    // When set, the signature file holds this statement's text in place of the signed one.
    std::string shownStatement;

    std::string signatureFile() const {
        const std::string statement =
            StatementText(module, version, archive.size(), Sha256Hex(archive), entries);
        std::string file = signer->signatureFile(statement);
        if (!shownStatement.empty())
            file.replace(0, statement.size(), shownStatement);
        return file;
    }
};

class ReleaseCheckTest : public ::testing::Test {
protected:
    fs::path archivePath() const { return fs::path(folder.path().toStdString()) / "EDITOR.ZIP"; }
    // The check as the agent runs it for EDITOR, server version 2.5, with `archive` downloaded.
    std::optional<std::string> check(const std::string& signatureFile, const std::string& archive,
                                     const std::string& publicKey) {
        WriteFile(archivePath(), archive);
        const Result<void, std::string> verdict =
            CheckRelease({publicKey, "EDITOR",
                          [this](std::string_view text) {
                              versionsAsked.emplace_back(text);
                              return text == "2.5";
                          },
                          archivePath()},
                         signatureFile);
        if (verdict)
            return std::nullopt;
        return verdict.reason();
    }

    TestSigner publisher;
    QTemporaryDir folder;
    std::vector<std::string> versionsAsked;
};

TEST_F(ReleaseCheckTest, PublishersReleaseIsAccepted) {
    Release release(publisher);
    EXPECT_EQ(check(release.signatureFile(), release.archive, publisher.publicKeyPem()),
              std::nullopt);
    EXPECT_EQ(versionsAsked, std::vector<std::string>{"2.5"});
}

struct Attack {
    const char* name;
    std::function<void(Release&)> change;
    // The downloaded archive, when it is not the signed one.
    std::function<std::string(const std::string& signedArchive)> served;
    const char* refusal;
};

TEST_F(ReleaseCheckTest, RefusesEveryReleaseThePublisherDidNotSignForThisArchive) {
    const TestSigner stranger;
    const Release genuine(publisher);
    const auto same = [](const std::string& archive) { return archive; };
    const Attack attacks[] = {
        {"SignedByAStranger", [&](Release& r) { r.signer = &stranger; }, same, "does not verify"},
        {"StatementEditedAfterSigning",
         [&](Release& r) {
             r.shownStatement =
                 StatementText("EDITOR", "9.0", r.archive.size(), Sha256Hex(r.archive));
         },
         same, "does not verify"},
        {"StatementOfAnotherArchiveUnderTheSignature",
         [&](Release& r) {
             r.shownStatement = StatementText("EDITOR", "2.5", 5, Sha256Hex("other"));
         },
         [](const std::string&) { return std::string("other"); }, "does not verify"},
        {"ForgedModuleIsNotBelievedBeforeTheSignature",
         [&](Release& r) {
             r.signer = &stranger;
             r.module = "OTHER";
         },
         same, "does not verify"},
        {"SignedForAnotherModule", [](Release& r) { r.module = "OTHER"; }, same,
         "for the module OTHER, not EDITOR"},
        {"ModuleInAnotherCase", [](Release& r) { r.module = "editor"; }, same,
         "for the module editor"},
        {"SignedForAnotherVersion", [](Release& r) { r.version = "1.5"; }, same, "for version 1.5"},
        {"ArchiveGrewByAByte", [](Release&) {},
         [](const std::string& archive) { return archive + "!"; },
         "3017 bytes, the signed one 3016"},
        {"ArchiveCutShort", [](Release&) {},
         [](const std::string& archive) { return archive.substr(0, 1000); }, "1000 bytes"},
        {"OneByteOfTheArchiveChanged", [](Release&) {},
         [](const std::string& archive) {
             std::string changed = archive;
             changed[1500] ^= 1;
             return changed;
         },
         "SHA-256 digest is not the signed one"},
    };
    for (const Attack& attack : attacks) {
        Release release(publisher);
        attack.change(release);
        const std::optional<std::string> refusal = check(
            release.signatureFile(), attack.served(genuine.archive), publisher.publicKeyPem());
        ASSERT_TRUE(refusal) << attack.name;
        EXPECT_NE(refusal->find(attack.refusal), std::string::npos)
            << attack.name << ": " << *refusal;
    }
}

TEST_F(ReleaseCheckTest, KeysAndArchivesThatCannotBeUsedAreRefused) {
    const Release release(publisher);
    const std::string file = release.signatureFile();
    EXPECT_NE(check(file, release.archive, "-----BEGIN PUBLIC KEY-----\nnot a key\n")
                  .value_or("")
                  .find("cannot be read"),
              std::string::npos);
    EXPECT_NE(check(file, release.archive, TestSigner("ED448").publicKeyPem())
                  .value_or("")
                  .find("not an Ed25519 key"),
              std::string::npos);
    EXPECT_NE(check("garbage", release.archive, publisher.publicKeyPem())
                  .value_or("")
                  .find("the signature file is malformed"),
              std::string::npos);

    fs::remove(archivePath());
    const auto missing = CheckRelease(
        {publisher.publicKeyPem(), "EDITOR", [](std::string_view) { return true; }, archivePath()},
        file);
    EXPECT_NE((missing ? std::string() : missing.reason()).find("cannot be opened"),
              std::string::npos);
    fs::create_directory(archivePath());
    const auto folderArchive = CheckRelease(
        {publisher.publicKeyPem(), "EDITOR", [](std::string_view) { return true; }, archivePath()},
        file);
    EXPECT_NE((folderArchive ? std::string() : folderArchive.reason()).find("not a regular file"),
              std::string::npos);
    // A FIFO with no writer answers at once.
    fs::remove(archivePath());
    ASSERT_EQ(::mkfifo(archivePath().c_str(), 0600), 0);
    const auto fifoArchive = CheckRelease(
        {publisher.publicKeyPem(), "EDITOR", [](std::string_view) { return true; }, archivePath()},
        file);
    EXPECT_NE((fifoArchive ? std::string() : fifoArchive.reason()).find("not a regular file"),
              std::string::npos);
}

TEST_F(ReleaseCheckTest, FileDigestIsOfTheWholeContentAndNeverWaitsOnAPipe) {
    const std::string content = std::string(3 << 20, 'x') + "end"; // several reads
    WriteFile(archivePath(), content);
    const int fd = ::open(archivePath().c_str(), O_RDONLY);
    ASSERT_GT(::lseek(fd, 0, SEEK_END), 0) << "read from the start whatever the offset";
    const auto digest = Sha256OfFile(fd);
    ::close(fd);
    EXPECT_EQ(digest ? HexText(digest->data(), 32) : digest.reason(), Sha256Hex(content));
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0); // its writer stays open: a read would wait for ever
    const auto fromPipe = Sha256OfFile(pipeEnds[0]);
    EXPECT_NE((fromPipe ? std::string() : fromPipe.reason()).find("the file cannot be read"),
              std::string::npos);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

} // namespace
} // namespace quillset::test
