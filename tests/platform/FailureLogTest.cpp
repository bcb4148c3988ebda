#include "platform/FailureLog.h"
#include "tests/support/Files.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace quillset::test {
namespace {

class FailureLogTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_STATE_HOME", dir.path().toLocal8Bit().constData(), 1); }
    void TearDown() override { ::unsetenv("XDG_STATE_HOME"); }
    fs::path logFile() const {
        return fs::path(dir.path().toStdString()) / "quillset" / "movie.log";
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(FailureLogTest, OneLinePerFailureWithEveryField) {
    LogFailure({"movie", "schedule", "print", "the disk is full"});
    LogFailure({"movie", "schedule", "picture", "IMAGE1.WMF is a FIFO"});
    const std::string log = ReadAll(logFile());
    EXPECT_NE(log.find(" movie schedule print: the disk is full\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" movie schedule picture: IMAGE1.WMF is a FIFO\n"), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
}

TEST_F(FailureLogTest, LineBreaksInAReasonCannotForgeEntries) {
    LogFailure({"movie", "x", "print", "bad\n2026-01-01 movie forged print: ok"});
    const std::string log = ReadAll(logFile());
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

TEST_F(FailureLogTest, TheLogStaysBoundedByMovingTheOldHalfAside) {
    for (int i = 0; i < 200; ++i)
        LogFailure({"movie", "schedule", "print", QString(40, u'x')}, 1000);
    EXPECT_LE(fs::file_size(logFile()), 1000u);
    fs::path older = logFile();
    older += ".1";
    EXPECT_LE(fs::file_size(older), 1000u);
    EXPECT_GT(fs::file_size(older), 500u);
}

TEST_F(FailureLogTest, ALinkAtTheLogsNameIsNotFollowed) {
    fs::create_directories(logFile().parent_path());
    const fs::path victim = fs::path(dir.path().toStdString()) / "victim";
    WriteFile(victim, "keep");
    fs::create_symlink(victim, logFile());
    LogFailure({"movie", "schedule", "print", "reason"});
    EXPECT_EQ(ReadAll(victim), "keep");
}

TEST_F(FailureLogTest, AFifoAtTheLogsNameDoesNotHoldTheProgram) {
    fs::create_directories(logFile().parent_path());
    ASSERT_EQ(::mkfifo(logFile().c_str(), 0600), 0);
    LogFailure({"movie", "schedule", "print", "reason"}); // returns: nothing reads the FIFO
    EXPECT_TRUE(fs::is_fifo(logFile()));
}

TEST(FailureLogFolder, FallsBackToTheHomeStateFolder) {
    struct Row {
        const char* name;
        const char* xdg; // nullptr: unset
        std::string expected;
    };
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const Row& row : {Row{"unset", nullptr, home + "/.local/state/quillset"},
                           Row{"relative", "state", home + "/.local/state/quillset"},
                           Row{"absolute", "/var/tmp/s", "/var/tmp/s/quillset"}}) {
        if (row.xdg)
            ::setenv("XDG_STATE_HOME", row.xdg, 1);
        else
            ::unsetenv("XDG_STATE_HOME");
        EXPECT_EQ(FailureLogFolder().string(), row.expected) << row.name;
    }
    ::unsetenv("XDG_STATE_HOME");
}
} // namespace quillset::test
