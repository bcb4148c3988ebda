// Archives built to escape the folder or to break the reader: a result code and messages, no
// write outside the folder, no special file, no partial file under an entry's name.
#include "tests/support/CaseName.h"
#include "tests/unzip/UnzipFixture.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quillset::test {
namespace {

struct HostileCase {
    const char* name; // the archive's kind in make_archive.py
    std::int32_t result;
    bool goodFileExtracted;  // the archive's harmless good.txt still arrives
    const char* reason = ""; // in the message
};

class HostileArchives : public UnzipFixture, public ::testing::WithParamInterface<HostileCase> {
protected:
    // The scratch root holds only the archive, dest/ and what the test put there itself.
    void expectNothingOutside(const std::vector<std::string>& allowedOutside) {
        for (const auto& item : fs::directory_iterator(scratch.root())) {
            const std::string name = item.path().filename().string();
            EXPECT_TRUE(name == "dest" || item.path().extension() == ".zip" ||
                        std::find(allowedOutside.begin(), allowedOutside.end(), name) !=
                            allowedOutside.end())
                << "written outside: " << name;
        }
        EXPECT_FALSE(fs::exists(scratch.root() / "evil.txt"));
        EXPECT_FALSE(fs::exists("/tmp/quillset-unzip-evil.txt"));
    }

    void expectOnlyPlainFilesFoldersAndInsideLinks() {
        const fs::path inside = fs::canonical(scratch.dest());
        const std::string temporaryPrefix = ".uz-" + std::to_string(getpid()) + "-";
        for (const std::string& path : TreeBelow(scratch.dest())) {
            const fs::path item = scratch.dest() / path;
            struct stat status {};
            ASSERT_EQ(lstat(item.c_str(), &status), 0) << path;
            EXPECT_TRUE(S_ISREG(status.st_mode) || S_ISDIR(status.st_mode) ||
                        S_ISLNK(status.st_mode))
                << "special file: " << path;
            EXPECT_NE(fs::path(path).filename().string().rfind(temporaryPrefix, 0), 0u)
                << "temporary left: " << path;
            // The test's own link to a folder outside is there to be walked through, not made.
            if (S_ISLNK(status.st_mode) && path != "escape") {
                std::error_code error;
                const fs::path target = fs::weakly_canonical(item, error);
                EXPECT_EQ(target.string().rfind(inside.string(), 0), 0u)
                    << path << " points at " << target;
            }
        }
    }
};

TEST_P(HostileArchives, AreRefusedOrFailWithoutHarm) {
    const HostileCase& row = GetParam();
    fs::create_directories(scratch.root() / "outside");
    fs::create_symlink(scratch.root() / "outside", scratch.dest() / "escape");
    const fs::path archive = archiveOf(row.name);

    EXPECT_EQ(unzip(archive), row.result) << module.LastUnzipMessage().toStdString();

    EXPECT_FALSE(module.LastUnzipMessage().isEmpty());
    EXPECT_TRUE(module.LastUnzipMessage().contains(QString::fromUtf8(row.reason)))
        << module.LastUnzipMessage().toStdString();
    // Each trouble reaches the caller as a problem of its own, the worst one with the result.
    const UnzipOutcome outcome = module.lastUnzipOutcome();
    EXPECT_EQ(outcome.result, row.result);
    EXPECT_EQ(std::any_of(outcome.problems.begin(), outcome.problems.end(),
                          [&](const UnzipProblem& problem) { return problem.code == row.result; }),
              row.result != UZ_OK)
        << outcome.summary().toStdString();
    expectNothingOutside({"outside"});
    EXPECT_TRUE(fs::is_empty(scratch.root() / "outside"));
    expectOnlyPlainFilesFoldersAndInsideLinks();
    EXPECT_EQ(fs::exists(scratch.dest() / "good.txt"), row.goodFileExtracted);
    if (row.goodFileExtracted) {
        EXPECT_EQ(ReadAll(scratch.dest() / "good.txt"), "stays inside\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, HostileArchives,
    ::testing::Values(
        HostileCase{"slip-dotdot", UZ_REFUSED, true}, HostileCase{"slip-deep", UZ_REFUSED, true},
        HostileCase{"slip-backslash", UZ_REFUSED, true},
        HostileCase{"absolute-name", UZ_REFUSED, true}, HostileCase{"drive-name", UZ_REFUSED, true},
        HostileCase{"link-absolute", UZ_REFUSED, true},
        HostileCase{"link-climbs-out", UZ_REFUSED, true},
        HostileCase{"link-then-write-through", UZ_REFUSED, true},
        HostileCase{"link-chain-out", UZ_REFUSED, false},
        HostileCase{"through-existing-link", UZ_REFUSED, true},
        HostileCase{"char-device", UZ_REFUSED, true}, HostileCase{"fifo", UZ_OK, true},
        HostileCase{"temporary-lookalike", UZ_OK, true},
        HostileCase{"corrupt-crc", UZ_BAD_ARCHIVE, false},
        HostileCase{"truncated", UZ_BAD_ARCHIVE, false},
        HostileCase{"not-a-zip", UZ_NO_ARCHIVE, false},
        HostileCase{"deep-nesting", UZ_REFUSED, true},
        HostileCase{"overlapping-entries", UZ_BAD_ARCHIVE, false},
        HostileCase{"overlapping-data", UZ_BAD_ARCHIVE, false},
        HostileCase{"lzma-huge-dictionary", UZ_BAD_ARCHIVE, false},
        HostileCase{"xz-huge-dictionary", UZ_BAD_ARCHIVE, false},
        HostileCase{"method-high-byte", UZ_BAD_ARCHIVE, false, "unsupported compression method"},
        HostileCase{"local-method-differs", UZ_BAD_ARCHIVE, false, "directory on its method"},
        HostileCase{"local-flags-differ", UZ_BAD_ARCHIVE, false, "directory on its flags"},
        HostileCase{"local-name-differs", UZ_BAD_ARCHIVE, false, "directory on its name"},
        HostileCase{"local-size-differs", UZ_BAD_ARCHIVE, false,
                    "directory on its compressed size"},
        HostileCase{"lzma-size-hidden", UZ_BAD_ARCHIVE, false, "decoder would need"},
        HostileCase{"xz-hidden-block", UZ_BAD_ARCHIVE, false, "cannot be judged"},
        // Several troubles: the most serious code wins,
        // whether it comes first or last.
        HostileCase{"troubles-worst-first", UZ_BAD_ARCHIVE, true},
        HostileCase{"troubles-worst-last", UZ_BAD_ARCHIVE, true}),
    CaseName());

TEST_F(UnzipFixture, DamagedEntryKeepsTheFileAlreadyThere) {
    WriteFile(scratch.dest() / "data.txt", "old data\n");
    EXPECT_EQ(unzip(archiveOf("corrupt-crc")), UZ_BAD_ARCHIVE);
    EXPECT_EQ(ReadAll(scratch.dest() / "data.txt"), "old data\n");
    EXPECT_EQ(TreeBelow(scratch.dest()), std::vector<std::string>{"data.txt"});
}

TEST_F(UnzipFixture, LinksInsideTheFolderAreMade) {
    EXPECT_EQ(unzip(archiveOf("link-inside")), UZ_OK) << module.LastUnzipMessage().toStdString();
    EXPECT_EQ(fs::read_symlink(scratch.dest() / "alias.txt"), "good.txt");
    EXPECT_EQ(ReadAll(scratch.dest() / "sub" / "up.txt"), "stays inside\n");
}

TEST_F(UnzipFixture, EncryptedLinkIsRefusedNotMadeFromItsCiphertext) {
    if (!HaveTool("zip"))
        GTEST_SKIP() << "zip is not installed";
    const fs::path source = scratch.root() / "source";
    fs::create_directories(source);
    WriteFile(source / "good.txt", "stays inside\n");
    fs::create_symlink("good.txt", source / "alias.txt");
    const fs::path archive = scratch.root() / "encrypted-link.zip";
    ASSERT_EQ(RunTool("zip",
                      {"-q", "-y", "-P", "secret", scratch.text(archive), "good.txt", "alias.txt"},
                      source),
              0);
    password = QStringLiteral("secret");

    EXPECT_EQ(unzip(archive), UZ_REFUSED) << module.LastUnzipMessage().toStdString();
    EXPECT_EQ(ReadAll(scratch.dest() / "good.txt"), "stays inside\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch.dest() / "alias.txt")));
    // The reason names the entry and what is wrong with it, not a made-up link target.
    EXPECT_TRUE(module.LastUnzipMessage().contains(QStringLiteral("alias.txt")));
    EXPECT_TRUE(module.LastUnzipMessage().contains(QStringLiteral("encrypted link")))
        << module.LastUnzipMessage().toStdString();
    // The caller gets the same as a value, without reading the text.
    const UnzipOutcome outcome = CGUnzipFiles(module).lastOutcome();
    EXPECT_EQ(outcome.result, UZ_REFUSED);
    ASSERT_EQ(outcome.problems.size(), 1);
    EXPECT_EQ(outcome.problems[0].code, UZ_REFUSED);
    EXPECT_EQ(outcome.problems[0].entry, QStringLiteral("alias.txt"));
    EXPECT_EQ(outcome.problems[0].reason, QStringLiteral("encrypted links are not extracted"));
}

// Nothing but a regular file is read as an archive: a FIFO with no writer answers at once.
TEST_F(UnzipFixture, MissingOrIrregularArchiveIsReportedNotRaised) {
    ASSERT_EQ(::mkfifo((scratch.root() / "fifo.zip").c_str(), 0600), 0);
    fs::create_directory(scratch.root() / "folder.zip");
    for (const char* name : {"absent.zip", "fifo.zip", "folder.zip"}) {
        EXPECT_EQ(unzip(scratch.root() / name), UZ_NO_ARCHIVE) << name;
        EXPECT_TRUE(module.LastUnzipMessage().contains(QString::fromLatin1(name))) << name;
    }
}

} // namespace
} // namespace quillset::test
