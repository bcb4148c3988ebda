#include "transfer/InternetTransfer.h"
#include "posix/Beneath.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"
#include "tests/support/RunTool.h"
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
        WriteFile(serverFolder() / "OTHER.ZIP", std::string(200'000, 'o'));
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
    TestServer logging(serverFolder());
    control.setUserAgent("TLUPDATER/1.0 (Quillset; EDITOR 1.0)");
    control.Execute(logging.address("updates/"), "GET EDITOR.VER " + localPath("EDITOR.VER"));
    ASSERT_TRUE(RunToEnd(control));
    const std::vector<OriginRequest> requests = logging.originRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/updates/EDITOR.VER");
    EXPECT_EQ(requests[0].cacheControl, "max-age=0");
    EXPECT_EQ(requests[0].userAgent, "TLUPDATER/1.0 (Quillset; EDITOR 1.0)");
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
    control.Execute(server.address("~hang/"), "GET EDITOR.VER " + localPath("EDITOR.VER"));
    int calls = 0;
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < 500ms && control.StillExecuting())
        ++calls;
    // Without a wait inside the call, half a second would run it many thousand times.
    EXPECT_LE(calls, 40);
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

// One answer as curl saw it, for the requests the transfer control does not make.
struct Answer {
    int status = 0;
    QString contentRange;
    QString etag;
    std::string body;
};

Answer Fetch(const QString& url, const fs::path& folder, const QStringList& headers = {}) {
    QStringList arguments{"-s", "-D", PathText(folder / "headers"), "-o",
                          PathText(folder / "body")};
    for (const QString& header : headers)
        arguments << "-H" << header;
    fs::remove(folder / "body");
    RunTool("curl", arguments << url); // a short body is the answer looked at, not a failure
    Answer answer;
    answer.body = ReadAll(folder / "body");
    for (const QString& line : QString::fromStdString(ReadAll(folder / "headers")).split("\r\n")) {
        if (line.startsWith("HTTP/"))
            answer.status = line.section(' ', 1, 1).toInt();
        else if (line.startsWith("Content-Range: ", Qt::CaseInsensitive))
            answer.contentRange = line.section(' ', 1);
        else if (line.startsWith("ETag: ", Qt::CaseInsensitive))
            answer.etag = line.section(' ', 1);
    }
    return answer;
}

struct ServedCase {
    const char* name;
    ServerSetup setup;
};

void PrintTo(const ServedCase& c, std::ostream* out) {
    *out << c.name;
}

class ServedThrough : public TransferAgainstServer,
                      public ::testing::WithParamInterface<ServedCase> {};

TEST_P(ServedThrough, BodyArrivesAndTheOriginLogsWhatItSent) {
    TestServer each(serverFolder(), GetParam().setup);
    control.Execute(each.address("updates/"), "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_EQ(ReadAll(localFolder() / "EDITOR.ZIP"), ReadAll(serverFolder() / "EDITOR.ZIP"));
    const std::vector<OriginRequest> requests = each.originRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "/updates/EDITOR.ZIP");
    EXPECT_EQ(requests[0].status, 200);
    EXPECT_EQ(each.originBodyBytes("EDITOR.ZIP"), 300'000);
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, ServedThrough,
    ::testing::Values(ServedCase{"Nginx", {.origin = Origin::Nginx}},
                      ServedCase{"SquidBeforeNginx", {.origin = Origin::Nginx, .cache = true}},
                      ServedCase{"SquidBeforePython", {.origin = Origin::Python, .cache = true}}),
    CaseName());

TEST_F(TransferAgainstServer, CacheServesItsCopyToTheControl) {
    TestServer cached(serverFolder(), {.origin = Origin::Nginx, .cache = true});
    const QString url = cached.address("updates/EDITOR.ZIP");
    const std::string whole = ReadAll(serverFolder() / "EDITOR.ZIP");
    EXPECT_EQ(Fetch(url, localFolder()).body, whole);
    EXPECT_EQ(Fetch(url, localFolder()).body, whole);
    const Answer tail =
        Fetch(url, localFolder(), {"Range: bytes=-100", "Cache-Control: max-age=0"});
    EXPECT_EQ(tail.status, 206);
    EXPECT_EQ(tail.body, whole.substr(whole.size() - 100));
    // The second plain request may find the copy fresh, or stale (a file written a moment ago
    // is fresh for a fifth of its age) and revalidated; the origin sends the body once.
    const std::vector<OriginRequest> asked = cached.originRequests("EDITOR.ZIP");
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked.back().status, 304) << "max-age=0 revalidates";
    EXPECT_EQ(cached.originBodyBytes("EDITOR.ZIP"), 300'000);
    // The control asks with Cache-Control: max-age=0: squid revalidates and serves its copy.
    control.Execute(cached.address("updates/"), "GET EDITOR.ZIP " + localPath("EDITOR.ZIP"));
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_EQ(cached.originBodyBytes("EDITOR.ZIP"), 300'000);
}

TEST_F(TransferAgainstServer, NginxAnswersRangesOnOneConnectionAndHonoursIfRange) {
    TestServer nginx(serverFolder(), {.origin = Origin::Nginx});
    const QString url = nginx.address("updates/EDITOR.ZIP");
    const QString none = QStringLiteral("/dev/null");
    ASSERT_EQ(RunTool("curl", {"-s", "-r", "-100", "-o", none, url, "-o", none, url}), 0);
    EXPECT_EQ(Fetch(url, localFolder(), {"Range: bytes=0-9", "If-Range: \"older\""}).status, 200);
    const std::vector<OriginRequest> requests = nginx.originRequests();
    ASSERT_EQ(requests.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_EQ(requests[i].status, 206);
        EXPECT_EQ(requests[i].bodyBytes, 100);
        EXPECT_EQ(requests[i].range, "bytes=-100");
        EXPECT_EQ(requests[i].connectionRequests, i + 1);
    }
    EXPECT_EQ(requests[1].connection, requests[0].connection);
    EXPECT_EQ(requests[2].ifRange, "\"older\"");
    EXPECT_EQ(requests[2].bodyBytes, 300'000);
}

// The Python origin's range directives, on the second of two requests for the same range whose
// If-Range names the first answer's ETag.
struct RangeCase {
    const char* name;
    const char* directive;
    const char* range;
    int status;
    const char* contentRange;
    const char* bodyFile; // the answer's body: this file's bytes (nullptr: an error page)
    size_t bodyStart, bodySize;
};

void PrintTo(const RangeCase& c, std::ostream* out) {
    *out << c.name;
}

class PythonRanges : public TransferAgainstServer,
                     public ::testing::WithParamInterface<RangeCase> {};

TEST_P(PythonRanges, AnswerAsDirected) {
    const RangeCase& c = GetParam();
    const QString url = server.address(QStringLiteral("~%1/updates/EDITOR.ZIP").arg(c.directive));
    const QString range = QStringLiteral("Range: bytes=") + c.range;
    const Answer first = Fetch(url, localFolder(), {range});
    const Answer second = Fetch(url, localFolder(), {range, "If-Range: " + first.etag});
    EXPECT_FALSE(first.etag.isEmpty());
    EXPECT_EQ(second.status, c.status);
    EXPECT_EQ(second.contentRange, c.contentRange);
    if (c.bodyFile) {
        EXPECT_EQ(second.body,
                  ReadAll(serverFolder() / c.bodyFile).substr(c.bodyStart, c.bodySize));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, PythonRanges,
    ::testing::Values(
        RangeCase{"Suffix", "ranges", "-100", 206, "bytes 299900-299999/300000", "EDITOR.ZIP",
                  299'900, 100},
        RangeCase{"Middle", "ranges", "10-19", 206, "bytes 10-19/300000", "EDITOR.ZIP", 10, 10},
        RangeCase{"PastTheEnd", "ranges", "300000-", 416, "bytes */300000", nullptr, 0, 0},
        RangeCase{"Shifted", "range-shift=7", "0-9", 206, "bytes 7-16/300000", "EDITOR.ZIP", 0, 10},
        RangeCase{"Short", "range-short", "0-999", 206, "bytes 0-999/300000", "EDITOR.ZIP", 0, 500},
        RangeCase{"OtherArchive", "range-other=OTHER.ZIP", "0-99", 206, "bytes 0-99/300000",
                  "OTHER.ZIP", 0, 100},
        RangeCase{"Ignored", "range-200", "0-9", 200, "", "EDITOR.ZIP", 0, 300'000},
        RangeCase{"ReplacedBetweenRequests", "range-etag-changes", "0-9", 200, "", "EDITOR.ZIP", 0,
                  300'000}),
    CaseName());

// The control's own range operation against the same directives: only the piece asked for is
// written, and every other answer fails before a byte of it lands.
struct PieceCase {
    const char* name;
    const char* directive;
    ByteRange range;
    bool wholeWelcome;
    const char* error; // in lastError; "" when the piece arrives
    std::size_t written;
};

void PrintTo(const PieceCase& c, std::ostream* out) {
    *out << c.name;
}

class PieceAnswers : public TransferAgainstServer,
                     public ::testing::WithParamInterface<PieceCase> {};

TEST_P(PieceAnswers, WriteOnlyThePieceAskedFor) {
    const PieceCase& c = GetParam();
    const QString address = server.address(QStringLiteral("~%1/updates/").arg(c.directive));
    const Fd file =
        OpenFileBeneath(OpenFolder(localFolder().string()).get(), "piece", O_RDWR | O_CREAT, 0600);
    // The ETag of a first answer, which a changed archive no longer has.
    control.ExecuteRange(address, "EDITOR.ZIP", {0, 0}, {}, file.get());
    ASSERT_TRUE(RunToEnd(control));
    const RangeCondition condition{control.rangeAnswer().validator, 0, c.wholeWelcome};
    ASSERT_EQ(::ftruncate(file.get(), 0), 0);
    ASSERT_EQ(::lseek(file.get(), 0, SEEK_SET), 0);
    control.ExecuteRange(address, "EDITOR.ZIP", c.range, condition, file.get());
    ASSERT_TRUE(RunToEnd(control));
    EXPECT_TRUE(control.lastError().contains(QString::fromUtf8(c.error)))
        << control.lastError().toStdString();
    EXPECT_EQ(*c.error == '\0', control.lastError().isEmpty());
    EXPECT_EQ(fs::file_size(localFolder() / "piece"), c.written);
    if (*c.error == '\0' && c.written < 300'000) {
        EXPECT_EQ(ReadAll(localFolder() / "piece"),
                  ReadAll(serverFolder() / "EDITOR.ZIP").substr(control.rangeAnswer().first));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, PieceAnswers,
    ::testing::Values(
        PieceCase{"Suffix", "ranges", {100, 0, true}, false, "", 100},
        PieceCase{"WholeFileWelcome", "range-200", {100, 0, true}, true, "", 300'000},
        PieceCase{"WholeFileForAPiece", "range-200", {10, 19}, false, "status 200", 0},
        PieceCase{"ArchiveReplacedSinceTheFirstPiece",
                  "range-etag-changes",
                  {10, 19},
                  false,
                  "status 200",
                  0},
        PieceCase{"OtherBytesThanAsked", "range-shift=7", {0, 9}, false, "sent bytes 7-16", 0},
        PieceCase{"ShortPiece", "range-short", {299'000, 299'999}, false, "transfer closed", 0},
        PieceCase{"PastTheEnd", "ranges", {300'000, 300'009}, false, "416", 0}),
    CaseName());

} // namespace
} // namespace quillset::test
