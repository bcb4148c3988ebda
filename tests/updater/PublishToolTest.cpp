#include "signature/ArchiveDigest.h"
#include "signature/ReleaseCheck.h"
#include "tests/support/Files.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/RunTool.h"
#include "updater/VersionFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace quillset::test {
namespace {

namespace fs = std::filesystem;

struct Publication {
    int exitCode = -1;
    QString errors;
};

Publication Publish(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(QUILLSET_SOURCE_DIR "/tools/publish/publish-module.sh"), arguments);
    tool.waitForFinished(30'000);
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError())};
}

class PublishTool : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(module());
        WriteFile(module() / "EDITOR.EXE", "#!/bin/sh\n");
        WriteFile(module() / "NOTES.TXT", "notes\n");
    }
    fs::path module() const { return fs::path(root.path().toStdString()) / "module"; }
    // A key pair made with openssl for this test: NAME.pem and NAME.pub.pem; the private key.
    QString makeKeyPair(const char* name) const {
        const QString key = root.path() + "/" + name + ".pem";
        QProcess openssl;
        openssl.start("openssl", {"genpkey", "-algorithm", "ed25519", "-out", key});
        openssl.waitForFinished(10'000);
        openssl.start("openssl", {"pkey", "-in", key, "-pubout", "-out",
                                  root.path() + "/" + name + ".pub.pem"});
        openssl.waitForFinished(10'000);
        return key;
    }
    fs::path server() const { return fs::path(root.path().toStdString()) / "server"; }
    QString text(const fs::path& path) const { return QString::fromStdString(path.string()); }

    QTemporaryDir root;
};

TEST_F(PublishTool, WritesAVersionFileTheAgentReadsAndAnArchive) {
    const Publication done = Publish({"editor", "2.75", text(module()), text(server())});
    ASSERT_EQ(done.exitCode, 0) << done.errors.toStdString();
    EXPECT_EQ(ReadVersionFile(server() / "EDITOR.VER"), 2.75f);
    QProcess list;
    list.start("unzip", {"-Z1", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(list.waitForFinished(10'000));
    QStringList entries =
        QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    entries.sort();
    EXPECT_EQ(entries, (QStringList{"EDITOR.EXE", "NOTES.TXT"}));
}

TEST_F(PublishTool, PasswordProtectsTheArchive) {
    ASSERT_EQ(
        Publish({"--password", "Quill#53", "EDITOR", "3", text(module()), text(server())}).exitCode,
        0);
    // Without the password the entries cannot be read; with it they test sound.
    QProcess without;
    without.start("unzip", {"-t", "-P", "wrong", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(without.waitForFinished(10'000));
    EXPECT_NE(without.exitCode(), 0);
    QProcess with;
    with.start("unzip", {"-t", "-P", "Quill#53", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(with.waitForFinished(10'000));
    EXPECT_EQ(with.exitCode(), 0);
}

TEST_F(PublishTool, RefusesWhatTheAgentCouldNotUse) {
    const struct {
        const char* name;
        QStringList arguments;
    } cases[] = {
        {"DottedVersion", {"EDITOR", "1.2.3", text(module()), text(server())}},
        {"VersionWithoutNumber", {"EDITOR", "new", text(module()), text(server())}},
        {"NameWithPath", {"../EDITOR", "2", text(module()), text(server())}},
        {"NoProgramFile", {"OTHER", "2", text(module()), text(server())}},
        {"MissingArgument", {"EDITOR", "2", text(module())}},
        {"StatementVersionUnsigned",
         {"--statement-version", "1", "EDITOR", "2", text(module()), text(server())}},
    };
    for (const auto& c : cases) {
        EXPECT_NE(Publish(c.arguments).exitCode, 0) << c.name;
        EXPECT_FALSE(fs::exists(server() / "EDITOR.VER")) << c.name;
    }
}

TEST_F(PublishTool, SignsWhatTheAgentChecksWithOptionsInAnyOrder) {
    const QString key = makeKeyPair("publisher");
    WriteFile(module() / "sub" / "My Notes \xc3\xbc%.txt", "odd name\n");
    const Publication done = Publish({"editor", "--sign-key", key, "2.50", text(module()),
                                      "--password", "Quill#53", text(server())});
    ASSERT_EQ(done.exitCode, 0) << done.errors.toStdString();
    const std::string signature = ReadAll(server() / "EDITOR.SIG");
    EXPECT_NE(signature.find("\nversion 2.50\n"), std::string::npos) << "the text of EDITOR.VER";
    const QString publicKeyFile = root.path() + "/publisher.pub.pem";
    std::vector<std::string> versions;
    const Result<ReleaseStatement, std::string> statement =
        CheckStatement({ReadAll(publicKeyFile.toStdString()), "EDITOR",
                        [&](std::string_view text) {
                            versions.emplace_back(text);
                            return true;
                        }},
                       signature);
    ASSERT_TRUE(statement) << statement.reason();
    EXPECT_EQ(versions, std::vector<std::string>{"2.50"});
    const Result<void, std::string> archive = CheckArchive(*statement, server() / "EDITOR.ZIP");
    EXPECT_TRUE(archive) << archive.reason();
    // The manifest: the archive's entries in its order, each with its source's mode and content.
    std::string names;
    for (const SignedEntry& entry : statement->entries) {
        names += entry.name + "\n";
        const int fd = ::open((module() / entry.name).c_str(), O_RDONLY);
        struct stat source {};
        EXPECT_EQ(::fstat(fd, &source), 0) << entry.name;
        EXPECT_EQ(entry.mode, source.st_mode) << entry.name;
        if (S_ISREG(source.st_mode)) {
            EXPECT_EQ(std::tuple(entry.size, entry.sha256),
                      std::tuple(std::uint64_t(source.st_size), Sha256OfFile(fd).valueOr({})))
                << entry.name;
        }
        ::close(fd);
    }
    QProcess list;
    list.start("unzip", {"-Z1", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(list.waitForFinished(10'000));
    EXPECT_EQ(names, list.readAllStandardOutput().toStdString());
    // By hand, as docs/PUBLISHING.md shows.
    EXPECT_EQ(RunTool("sh",
                      {"-c",
                       "head -n -1 EDITOR.SIG >st && tail -n 1 EDITOR.SIG | cut -d' ' -f2 | "
                       "xxd -r -p >sig && openssl pkeyutl -verify -pubin -inkey \"$0\" -rawin "
                       "-in st -sigfile sig",
                       publicKeyFile},
                      server()),
              0);
    QProcess unzip;
    unzip.start("unzip", {"-t", "-P", "Quill#53", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(unzip.waitForFinished(10'000));
    EXPECT_EQ(unzip.exitCode(), 0) << "the password applies to the signed archive";
}

TEST_F(PublishTool, StatementVersionOneIsTheOldFormat) {
    const QString key = makeKeyPair("publisher");
    const QStringList version1{"--statement-version", "1", "--sign-key", key};
    ASSERT_EQ(
        Publish(version1 + QStringList{"EDITOR", "2", text(module()), text(server())}).exitCode, 0);
    const std::string signature = ReadAll(server() / "EDITOR.SIG");
    EXPECT_TRUE(signature.starts_with("quillset-release-signature 1\n")) << signature;
    const auto verdict =
        CheckRelease({ReadAll(root.path().toStdString() + "/publisher.pub.pem"), "EDITOR",
                      [](std::string_view) { return true; }, server() / "EDITOR.ZIP"},
                     signature);
    EXPECT_TRUE(verdict) << verdict.reason();
}

TEST_F(PublishTool, ManifestRefusesSourcesThatAreNotTheArchivedFiles) {
    ASSERT_EQ(Publish({"EDITOR", "2", text(module()), text(server())}).exitCode, 0);
    const auto manifest = [&] {
        return RunTool("python3", {QUILLSET_SOURCE_DIR "/tools/publish/archive_manifest.py",
                                   text(server() / "EDITOR.ZIP"), text(module())});
    };
    ASSERT_EQ(manifest(), 0);
    WriteFile(module() / "NOTES.TXT", "NOTES\n");
    EXPECT_EQ(manifest(), 1) << "same size, other bytes";
    fs::remove(module() / "NOTES.TXT");
    EXPECT_EQ(manifest(), 1) << "gone";
}

TEST_F(PublishTool, UnsignedPublicationRemovesAnEarlierSignature) {
    const QString key = makeKeyPair("publisher");
    ASSERT_EQ(Publish({"--sign-key", key, "EDITOR", "2", text(module()), text(server())}).exitCode,
              0);
    ASSERT_TRUE(fs::exists(server() / "EDITOR.SIG"));
    ASSERT_EQ(Publish({"EDITOR", "3", text(module()), text(server())}).exitCode, 0);
    EXPECT_FALSE(fs::exists(server() / "EDITOR.SIG"));
}

TEST_F(PublishTool, RefusesKeysThatCannotSign) {
    makeKeyPair("publisher");
    const QString rsa = root.path() + "/rsa.pem";
    QProcess openssl;
    openssl.start("openssl", {"genpkey", "-algorithm", "rsa", "-pkeyopt", "rsa_keygen_bits:1024",
                              "-out", rsa});
    openssl.waitForFinished(30'000);
    const struct {
        const char* name;
        QString key;
    } cases[] = {
        {"PublicKeyInsteadOfPrivate", root.path() + "/publisher.pub.pem"},
        {"RsaKey", rsa},
        {"MissingKeyFile", root.path() + "/none.pem"},
        {"NoKeyGiven", QString()},
    };
    for (const auto& c : cases) {
        QStringList arguments{"EDITOR", "2", text(module()), text(server()), "--sign-key"};
        if (!c.key.isEmpty())
            arguments << c.key;
        EXPECT_NE(Publish(arguments).exitCode, 0) << c.name;
        EXPECT_FALSE(fs::exists(server() / "EDITOR.VER")) << c.name;
        EXPECT_FALSE(fs::exists(server() / "EDITOR.SIG")) << c.name;
    }
}

} // namespace
} // namespace quillset::test
