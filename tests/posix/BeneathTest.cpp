// File work below an open folder: which paths it reaches, which it refuses, with and without
// openat2, and that nothing outside the folder is touched.
#include "posix/Beneath.h"
#include "tests/support/BindMounts.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillset::test {
namespace {

using Opener = SystemResult<Fd> (*)(int, const std::string&, int, mode_t);

// A module folder with a link to a folder outside it, a link to a file outside it, a FIFO and a
// subfolder.
class Beneath : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(module / "sub" / "file.txt", "inside");
        fs::create_directories(module / "sub" / "deeper");
        WriteFile(outside / "secret.txt", "outside");
        fs::create_directory_symlink(outside, module / "lnk");
        fs::create_symlink(outside / "secret.txt", module / "lnk.txt");
        ASSERT_EQ(::mkfifo((module / "fifo").c_str(), 0600), 0);
        folder = OpenFolder(module.string());
    }

    QTemporaryDir root;
    fs::path module = fs::path(root.path().toStdString()) / "module";
    fs::path outside = fs::path(root.path().toStdString()) / "outside";
    Fd folder;
};

int ErrorOf(const auto& operation) {
    try {
        operation();
        return 0;
    } catch (const SystemError& error) {
        return error.error();
    }
}

// The same for a non-throwing form's answer.
template <typename T> int ErrorOf(const SystemResult<T>& answer) {
    return answer ? 0 : answer.reason().error();
}

struct OpenRow {
    const char* name;
    const char* path;
    int opened;   // errno of a plain open (0: opens)
    int fileOpen; // errno of TryOpenFileBeneath: is there a regular file here?
};

class Opens : public Beneath, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(Opens, ReachOnlyWhatIsBelowWithoutLinksAndNeverBlock) {
    const OpenRow& row = GetParam();
    for (const Opener open : {&TryOpenBeneath, &TryOpenByParts})
        EXPECT_EQ(ErrorOf(open(folder.get(), row.path, O_RDONLY | O_NONBLOCK, 0)), row.opened)
            << (open == &TryOpenBeneath ? "openat2" : "by parts");
    EXPECT_EQ(ErrorOf(TryOpenFileBeneath(folder.get(), row.path)), row.fileOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Opens,
    ::testing::Values(OpenRow{"FileInASubfolder", "sub/file.txt", 0, 0},
                      OpenRow{"LinkInTheMiddle", "lnk/secret.txt", ELOOP, ELOOP},
                      OpenRow{"LinkAtTheEnd", "lnk.txt", ELOOP, ELOOP},
                      OpenRow{"UpAndOut", "../outside/secret.txt", EINVAL, EINVAL},
                      OpenRow{"UpInTheMiddle", "sub/../sub/file.txt", EINVAL, EINVAL},
                      OpenRow{"Absolute", "/etc/hostname", EINVAL, EINVAL},
                      OpenRow{"EmptyPart", "sub//file.txt", EINVAL, EINVAL},
                      OpenRow{"Fifo", "fifo", 0, EINVAL},
                      OpenRow{"FolderWhereAFileIsExpected", "sub/deeper", 0, EINVAL},
                      OpenRow{"NothingThere", "sub/none", ENOENT, ENOENT}),
    CaseName());

TEST_F(Beneath, RenameAndRemoveThroughALinkLeaveTheOutsideAlone) {
    EXPECT_EQ(ErrorOf([&] { RenameBeneath(folder.get(), "lnk/secret.txt", folder.get(), "x"); }),
              ELOOP);
    EXPECT_EQ(ErrorOf([&] { RenameBeneath(folder.get(), "sub/file.txt", folder.get(), "lnk/x"); }),
              ELOOP);
    EXPECT_EQ(ErrorOf([&] { RemoveBeneath(folder.get(), "lnk/secret.txt"); }), ELOOP);
    EXPECT_EQ(ErrorOf([&] { MakeFolderBeneath(folder.get(), "lnk/made", 0700); }), ELOOP);
    EXPECT_EQ(ErrorOf([&] { StatBeneath(folder.get(), "lnk/secret.txt"); }), ELOOP);
    EXPECT_TRUE(S_ISLNK(StatBeneath(folder.get(), "lnk")->st_mode));
    EXPECT_FALSE(StatBeneath(folder.get(), "sub/none"));
    EXPECT_EQ(Entries(outside), std::vector<std::string>{"secret.txt"});
    RenameBeneath(folder.get(), "sub/file.txt", folder.get(), "moved.txt");
    EXPECT_EQ(ReadAll(module / "moved.txt"), "inside");
}

TEST_F(Beneath, RemoveTreeTakesReadOnlyFoldersAndOnlyTheLinksToOthers) {
    fs::create_directory_symlink(outside, module / "sub" / "deeper" / "away");
    WriteFile(module / "sub" / "deeper" / "a" / "b" / "c.txt", "deep");
    fs::permissions(module / "sub" / "deeper" / "a", fs::perms(0555));
    fs::permissions(module / "sub" / "deeper", fs::perms(0));
    RemoveTreeBeneath(folder.get(), "sub");
    EXPECT_FALSE(fs::exists(fs::symlink_status(module / "sub")));
    EXPECT_EQ(Entries(outside), std::vector<std::string>{"secret.txt"});
    RemoveTreeBeneath(folder.get(), "lnk");
    EXPECT_FALSE(fs::exists(fs::symlink_status(module / "lnk")));
    EXPECT_EQ(Entries(outside), std::vector<std::string>{"secret.txt"});
}

// A folder bind-mounted into the module is someone else's, on this file system or another: no
// way leads through it, and a removal leaves it, and the folders holding it, and says so.
TEST_F(Beneath, MountPointsAreNeverCrossed) {
    BindMounts mounts(root.path().toStdString());
    if (!mounts.bind(outside, module / "sub" / "deeper"))
        GTEST_SKIP() << "no bind mount here: neither root nor a user namespace may mount";
    folder = OpenFolder(module.string()); // in the namespace that holds the mount
    // A removal makes the folders it empties writable: never this one.
    fs::permissions(outside, fs::perms(0500));
    for (const Opener open : {&TryOpenBeneath, &TryOpenByParts}) {
        EXPECT_EQ(ErrorOf(open(folder.get(), "sub/deeper/secret.txt", O_RDONLY, 0)), EXDEV);
        EXPECT_EQ(ErrorOf(open(folder.get(), "sub/deeper", O_RDONLY | O_DIRECTORY, 0)), EXDEV);
    }
    EXPECT_EQ(ErrorOf([&] { RemoveTreeBeneath(folder.get(), "sub"); }), EXDEV);
    EXPECT_EQ(ErrorOf([&] { RemoveTreeBeneath(folder.get(), "sub/deeper"); }), EXDEV);
    EXPECT_EQ(ReadAll(outside / "secret.txt"), "outside");
    EXPECT_EQ(fs::status(outside).permissions(), fs::perms(0500));
    EXPECT_FALSE(fs::exists(module / "sub" / "file.txt")) << "the rest goes";
    fs::permissions(outside, fs::perms(0700));
}

// A file size limit turns one write into a short write and the next into EFBIG: a loop that took
// the short write for the whole would answer success with the file cut.
TEST(WriteAll, GoesOnAfterAShortWriteAndTellsWhyItStopped) {
    QTemporaryDir root;
    Fd file(::open((root.path() + "/cut").toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_CLOEXEC,
                   0600));
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int error = ErrorOf([&] { WriteAll(file.get(), std::string(4096, 'x'), "the file"); });
    ::setrlimit(RLIMIT_FSIZE, &before);
    ::signal(SIGXFSZ, previous);
    EXPECT_EQ(error, EFBIG);
    file.reset(::open("/dev/full", O_WRONLY | O_CLOEXEC));
    EXPECT_EQ(ErrorOf([&] { WriteAll(file.get(), "x", "the full disk"); }), ENOSPC);
}

} // namespace
} // namespace quillset::test
