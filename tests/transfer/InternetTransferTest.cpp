#include "transfer/InternetTransfer.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"
#include "tests/support/TestServer.h"

#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>

namespace quillset::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Waits the way the agent does; a transfer still running after `limit` fails the test instead
// of hanging it.
bool RunToEnd(InternetTransfer& control, std::chrono::seconds limit = 30s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (control.StillExecuting())
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

// One server for all tests of a suite: its files never change, and starting it is the slowest
// part of a test.
class TransferAgainstServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        serverRoot = std::make_unique<QTemporaryDir>();
        WriteFile(serverFolder() / "EDITOR.VER", "2.6,\"notes\"\r\n");
        std::string archive(300'000, '\0');
        for (size_t i = 0; i < archive.size(); ++i)
            archive[i] = char(i * 7 % 251);
        WriteFile(serverFolder() / "EDITOR.ZIP", archive);
        sharedServer = std::make_unique<TestServer>(serverFolder());
    }
    static void TearDownTestSuite() {
        sharedServer.reset();
        serverRoot.reset();
    }
    void SetUp() override {
        ASSERT_TRUE(serverRoot->isValid() && localRoot.isValid());
        control.setLimits({2s, 100, 2s});
    }
    static fs::path serverFolder() { return serverRoot->path().toStdString(); }
    fs::path localFolder() const { return localRoot.path().toStdString(); }
    QString localPath(const QString& name) const { return localRoot.path() + "/" + name; }

    static inline std::unique_ptr<QTemporaryDir> serverRoot;
    static inline std::unique_ptr<TestServer> sharedServer;
    QTemporaryDir localRoot;
    TestServer& server = *sharedServer;
    InternetTransfer control;
};

struct FaultCase {
    const char* name;
    const char* directive; // server path segment, e.g. "~404"
    const char* file;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class ServerFault : public TransferAgainstServer,
                    public ::testing::WithParamInterface<FaultCase> {};

TEST_P(ServerFault, LeavesNoFileAndReportsTheFailure) {
    const FaultCase& c = GetParam();
    const QString name = QString::fromUtf8(c.file);
    control.Execute(server.address(QString::fromUtf8(c.directive) + "/updates/"),
                    "GET " + name + " " + localPath(name));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_FALSE(control.lastError().isEmpty());
    EXPECT_TRUE(Entries(localFolder()).empty()) << "a failed transfer left a file";
}

INSTANTIATE_TEST_SUITE_P(Transfer, ServerFault,
                         ::testing::Values(FaultCase{"NotFound", "~404", "EDITOR.VER"},
                                           FaultCase{"ServerError", "~500", "EDITOR.VER"},
                                           FaultCase{"MissingOnServer", "x", "OTHER.VER"},
                                           FaultCase{"DroppedHalfWay", "~drop", "EDITOR.ZIP"},
                                           FaultCase{"StalledAfterHeaders", "~stall", "EDITOR.ZIP"},
                                           FaultCase{"NeverAnswers", "~hang", "EDITOR.VER"}),
                         CaseName());

struct LimitCase {
    const char* name;
    TransferLimits limits;
    const char* directive;
    const char* file;
    const char* reason = ""; // in the error
};

void PrintTo(const LimitCase& c, std::ostream* out) {
    *out << c.name;
}

class LimitReached : public TransferAgainstServer,
                     public ::testing::WithParamInterface<LimitCase> {};

TEST_P(LimitReached, EndsTheTransferAndLeavesNoFile) {
    const LimitCase& c = GetParam();
    control.setLimits(c.limits);
    const QString name = QString::fromUtf8(c.file);
    control.Execute(server.address(QString::fromUtf8(c.directive) + "/updates/"),
                    "GET " + name + " " + localPath(name));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_FALSE(control.lastError().isEmpty());
    EXPECT_TRUE(control.lastError().contains(QString::fromUtf8(c.reason)))
        << control.lastError().toStdString();
    EXPECT_TRUE(Entries(localFolder()).empty()) << "a transfer past a limit left a file";
}

// EDITOR.VER is 13 bytes, EDITOR.ZIP 300,000.
INSTANTIATE_TEST_SUITE_P(
    Transfer, LimitReached,
    ::testing::Values(
        LimitCase{"TrickleStopsAtTheTotalTime", {2s, 1, 30s, 2s, 0}, "~slow=2", "EDITOR.VER"},
        LimitCase{"TrickleBelowTheSpeedFloor", {2s, 1024, 2s, 0s, 0}, "~slow=2", "EDITOR.ZIP"},
        LimitCase{"EndlessBodyStopsAtTheSizeBound",
                  {2s, 1, 30s, 0s, 64 * 1024},
                  "~endless",
                  "EDITOR.VER"},
        LimitCase{"AnnouncedLengthAboveTheBound", {2s, 1, 30s, 0s, 299'999}, "x", "EDITOR.ZIP"},
        // Above the speed floor, far below the pace: 300,000 bytes at 20 KB/s against 1 s plus
        // the length at 1 MB/s.
        LimitCase{"TrickleAboveTheFloorStopsAtThePaceBound",
                  {2s, 1024, 30s, 0s, 0, 1'000'000, 1s, 24h},
                  "~slow=20000",
                  "EDITOR.ZIP",
                  "the announced 300000 bytes"},
        LimitCase{"TrickleWithoutALengthStopsAtThePaceBound",
                  {2s, 1024, 30s, 0s, 0, 1'000'000, 1s, 24h},
                  "~endless/~slow=20000",
                  "EDITOR.ZIP",
                  "no length announced"},
        LimitCase{"PaceBoundNeverPastItsLongest",
                  {2s, 1024, 30s, 0s, 0, 1'000'000, 10s, 2s},
                  "~slow=20000",
                  "EDITOR.ZIP",
                  "longest time, 2 s"}),
    CaseName());

TEST_F(TransferAgainstServer, BodyOfExactlyTheBoundArrives) {
    control.setLimits({2s, 1, 30s, 5s, 300'000});
    control.Execute(server.address("updates/"), "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_TRUE(control.lastError().isEmpty()) << control.lastError().toStdString();
    EXPECT_EQ(ReadAll(localFolder() / "EDITOR.ZIP"), ReadAll(serverFolder() / "EDITOR.ZIP"));
}

TEST_F(TransferAgainstServer, RequestsAskCachesToRevalidateAndNameTheirAgent) {
    const fs::path log = localFolder() / "requests.log";
    TestServer logging(serverFolder(), {"--log", QString::fromStdString(log.string())});
    control.setUserAgent("TLUPDATER/1.0 (Quillset; EDITOR 1.0)");
    control.Execute(logging.address("updates/"), "GET EDITOR.VER " + localPath("EDITOR.VER"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_EQ(ReadAll(log), "GET /updates/EDITOR.VER cache-control=max-age=0 "
                            "user-agent=TLUPDATER/1.0 (Quillset; EDITOR 1.0)\n");
}

TEST_F(TransferAgainstServer, WholeBodyArrivesUnderTheGivenName) {
    for (const char* directive : {"updates", "~slow=200000/updates"}) {
        fs::remove(localFolder() / "EDITOR.ZIP");
        control.Execute(server.address(QString::fromUtf8(directive)),
                        "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
        ASSERT_TRUE(RunToEnd(control));
        EXPECT_TRUE(control.lastError().isEmpty()) << control.lastError().toStdString();
        EXPECT_EQ(ReadAll(localFolder() / "EDITOR.ZIP"), ReadAll(serverFolder() / "EDITOR.ZIP"));
        EXPECT_EQ(Entries(localFolder()), std::vector<std::string>{"EDITOR.ZIP"}) << directive;
    }
}

TEST_F(TransferAgainstServer, FolderWithSpacesAndUpperCasedPathReachTheRealFolder) {
    fs::create_directories(localFolder() / "apps dir" / "editor");
    const QString upperFolder = (localRoot.path() + "/APPS DIR/EDITOR/").toUpper();
    // Only the part below the temporary folder is upper-cased; its own name must stay exact
    // when it is not upper case already.
    const QString folder = localRoot.path() + upperFolder.mid(localRoot.path().size());
    control.Execute(server.address("updates/"), "GET EDITOR.VER " + folder + "EDITOR.VER");
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_EQ(ReadAll(localFolder() / "apps dir" / "editor" / "EDITOR.VER"), "2.6,\"notes\"\r\n");
}

TEST_F(TransferAgainstServer, FailedTransferKeepsAnEarlierFileUntouched) {
    WriteFile(localFolder() / "EDITOR.ZIP", "earlier");
    control.Execute(server.address("~drop/"), "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_EQ(ReadAll(localFolder() / "EDITOR.ZIP"), "earlier");
    EXPECT_EQ(Entries(localFolder()).size(), 1u);
}

TEST_F(TransferAgainstServer, CancelledTransferLeavesNothing) {
    {
        InternetTransfer slow;
        slow.Execute(server.address("~slow=1000/"), "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
        for (int i = 0; i < 5; ++i)
            ASSERT_TRUE(slow.StillExecuting());
        EXPECT_EQ(Entries(localFolder()).size(), 1u) << "the body goes to a temporary file";
    }
    EXPECT_TRUE(Entries(localFolder()).empty());
}

TEST_F(TransferAgainstServer, OneOperationAtATime) {
    control.Execute(server.address("~slow=1000/"), "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
    EXPECT_THROW(control.Execute(server.address(), "GET EDITOR.VER " + localPath("EDITOR.VER")),
                 TransferError);
    control.cancel();
    EXPECT_FALSE(control.StillExecuting());
}

TEST_F(TransferAgainstServer, StillExecutingWaitsForTheNetworkInsteadOfSpinning) {
    control.setPollInterval(50ms);
    control.Execute(server.address("~hang/"), "GET EDITOR.VER " + localPath("EDITOR.VER"));
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 500ms && control.StillExecuting())
        ++calls;
    // Without a wait inside the call, half a second would run it many thousand times.
    EXPECT_LE(calls, 15);
}

TEST_F(TransferAgainstServer, BadStartsThrowAndLeaveNoFile) {
    EXPECT_THROW(control.Execute(server.address(), "GET EDITOR.VER " + localRoot.path() +
                                                       "/no such folder/EDITOR.VER"),
                 TransferError);
    EXPECT_THROW(control.Execute(QStringLiteral("gopher://127.0.0.1/"),
                                 "GET EDITOR.VER " + localPath("EDITOR.VER")),
                 TransferError);
    EXPECT_FALSE(control.StillExecuting());
    EXPECT_TRUE(Entries(localFolder()).empty());
}

TEST_F(TransferAgainstServer, NetworkFailuresEndWithoutAFile) {
    // A port nobody listens on (taken from a server that has ended) and a name that never
    // resolves.
    int closedPort = 0;
    {
        TestServer gone(serverFolder());
        closedPort = gone.port();
    }
    for (const QString& address : {QStringLiteral("http://127.0.0.1:%1/").arg(closedPort),
                                   QStringLiteral("http://update.server.invalid/updates/")}) {
        control.Execute(address, "GET EDITOR.VER " + localPath("EDITOR.VER"));
        ASSERT_TRUE(RunToEnd(control, 20s)) << address.toStdString();
        EXPECT_FALSE(control.lastError().isEmpty());
        EXPECT_TRUE(Entries(localFolder()).empty());
    }
}

TEST_F(TransferAgainstServer, FileAddressesCopyAndFailLikeTheOthers) {
    const QString address = "file://" + serverRoot->path() + "/";
    control.Execute(address, "GET EDITOR.VER " + localPath("EDITOR.VER"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_EQ(ReadAll(localFolder() / "EDITOR.VER"), "2.6,\"notes\"\r\n");
    control.Execute(address, "GET MISSING.VER " + localPath("MISSING.VER"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_FALSE(control.lastError().isEmpty());
    EXPECT_EQ(Entries(localFolder()), std::vector<std::string>{"EDITOR.VER"});
}

} // namespace
} // namespace quillset::test
