#include "updater/WinMain.h"
#include "tests/support/CaseName.h"
#include "tests/support/FormChecks.h"
#include "tests/updater/AgentFixture.h"
#include "updater/TransferProgressLine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
#include <algorithm>

namespace quillset::test {
namespace {

// The window wired to a real agent and a real server, driven through its own event loop.
class WinMainWindow : public AgentFixture {
protected:
    void makeWindowAgent() {
        window = std::make_unique<WinMain>(
            dialogs, pointer, transfer,
            EncipherStoredValues(server->address(QStringLiteral("updates/")),
                                 QLatin1String(kPassword)));
    }
    std::unique_ptr<WinMain> window;
};

TEST_F(WinMainWindow, ShowsTheProgramFileAndStartsTheCycleOnceAfterTwoSeconds) {
    WriteFile(serverFolder() / "EDITOR.VER", "1.0");
    startServer();
    makeWindowAgent();
    EXPECT_EQ(window->windowTitle(), "TL Updater");
    EXPECT_EQ(window->CurSoft()->text(), "Ninguno");
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(window->Form_Load(commandLine("2.5")));
    EXPECT_EQ(window->CurSoft()->text(), "EDITOR.EXE");
    EXPECT_EQ(window->Status()->text(), "Stand By...");
    EXPECT_EQ(window->Avance()->value(), 0);
    EXPECT_EQ(window->Avance()->maximum(), 4);
    EXPECT_EQ(window->Timer().interval(), 2000);
    window->show();

    while (dialogs.messages().empty() && clock.elapsed() < 10'000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_EQ(window->Status()->text(), QString::fromUtf8(kLatestVersionMessage));
    EXPECT_EQ(window->Avance()->value(), 4);
    EXPECT_FALSE(window->Timer().isActive()) << "the cycle runs once";

    // The window stays open, doing nothing, until it is closed.
    clock.restart();
    while (clock.elapsed() < 2500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(window->isVisible());
    window->CloseBtn()->click();
    EXPECT_TRUE(window->unloadRequested());
    EXPECT_FALSE(window->isVisible());
}

// The window looks finished with every status it can show: nothing clipped, one size throughout,
// the heading one text with its shadow, and the Close button focused.
TEST_F(WinMainWindow, EveryStatusFitsAFixedWindowUnderAShadowedHeading) {
    startServer();
    makeWindowAgent();
    window->show();
    window->activateWindow();
    QApplication::processEvents();
    const QSize size = window->size();
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the window cannot be resized";
    window->setCurrentSoftware("EDITOR.EXE");
    for (const char* status :
         {"Stand By...", kWaitingStatus, kScanningStatus, kLatestVersionMessage, kDownloadingStatus,
          kUnpackingStatus, kUpdatedMessage, kNotUpdatedMessage}) {
        window->setStatus(QString::fromUtf8(status));
        QApplication::processEvents();
        EXPECT_EQ(ClippedLabels(*window).join("; ").toStdString(), "") << status;
        EXPECT_EQ(window->size(), size) << status;
    }
    // The line of a large, slow download fits under the status too.
    window->showTransferProgress({1000ull << 20, 4000ull << 20});
    QApplication::processEvents();
    EXPECT_FALSE(window->transferLine()->text().isEmpty());
    EXPECT_EQ(ClippedLabels(*window).join("; ").toStdString(), "");
    EXPECT_EQ(window->size(), size);
    const auto* label1 = window->findChild<QLabel*>("Label1");
    const auto* label2 = window->findChild<QWidget*>("Label2");
    ASSERT_TRUE(label1 && label2);
    EXPECT_EQ(label1->text(), "Talvex Labs update agent");
    EXPECT_EQ(qobject_cast<const QLabel*>(label2), nullptr) << "a shadow drawn, not spoken";
    const QPoint offset = label2->pos() - label1->pos();
    EXPECT_TRUE(offset.x() >= 1 && offset.x() <= 2 && offset.y() >= 1 && offset.y() <= 2)
        << "a shadow a pixel or two off, not a second line";
    EXPECT_NE(label2->palette().color(QPalette::WindowText),
              label1->palette().color(QPalette::WindowText));
    EXPECT_TRUE(DefaultButtonShowsFocus(*window->CloseBtn()));
}

TEST_F(WinMainWindow, CloseDuringATransferEndsTheAgent) {
    WriteFile(serverFolder() / "EDITOR.VER", std::string(5000, '3'));
    startServer({"--rule", "EDITOR.VER=slow=500"});
    makeWindowAgent();
    ASSERT_TRUE(window->Form_Load(commandLine("2.5")));
    window->Timer().setInterval(10);
    window->show();
    QTimer::singleShot(1500, window->CloseBtn(), &QPushButton::click);

    QElapsedTimer clock;
    clock.start();
    QApplication::exec(); // ends when the window unloads
    EXPECT_LT(clock.elapsed(), 5000) << "Close must not wait for the transfer";
    EXPECT_TRUE(window->unloadRequested());
    EXPECT_EQ(window->Status()->text(), QString::fromUtf8(kScanningStatus));
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_TRUE(Entries(moduleFolder()).empty());
}

// A slow server: the version check and the archive each take a while. The window, sampled as a
// user would watch it, shows a busy bar while it scans and the archive's bytes while they arrive,
// with the status and the bar as they were.
TEST_F(WinMainWindow, ScanningShowsABusyBarAndTheDownloadItsBytesBesideTheBar) {
    WriteFile(serverFolder() / "EDITOR.VER", "9.0");
    startServer(
        {"--rule", "EDITOR.VER=pad=600,slow=1200", "--rule", "EDITOR.ZIP=gen=40960,slow=20480"});
    makeWindowAgent();
    ASSERT_TRUE(window->Form_Load(commandLine("2.5")));
    window->Timer().setInterval(10);
    window->show();

    struct Sample {
        QString status;
        int avance;
        bool busy;
        QString line;
    };
    std::vector<Sample> samples;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QLabel* line = window->transferLine();
        samples.push_back({window->Status()->text(), window->Avance()->value(),
                           window->busyBar()->isVisible(),
                           line->isVisible() ? line->text() : QString()});
    });
    watch.start(20);
    QApplication::exec(); // ends when the window unloads after the failed unpack
    watch.stop();

    const QString scanning = QString::fromUtf8(kScanningStatus);
    const QString downloading = QString::fromUtf8(kDownloadingStatus);
    // Before the headers arrive the length is not known yet; once it is, the speed and time left.
    const QRegularExpression shape(QStringLiteral(
        R"(^[0-9.]+ (bytes|kB)( of 41\.0 kB)?(, [0-9.]+ (bytes|kB)/s(, [0-9]+ s left)?)?$)"));
    const QRegularExpression whole(QStringLiteral(R"( of 41\.0 kB, [0-9.]+ kB/s, [0-9]+ s left$)"));
    bool busyWhileScanning = false;
    QSet<QString> lines;
    for (const Sample& sample : samples) {
        busyWhileScanning |= sample.status == scanning && sample.busy;
        EXPECT_TRUE(!sample.busy || sample.status == scanning) << sample.status.toStdString();
        EXPECT_TRUE(sample.line.isEmpty() || sample.status == downloading)
            << sample.status.toStdString();
        if (sample.status == downloading && !sample.line.isEmpty()) {
            EXPECT_EQ(sample.avance, 2) << "the bar keeps its step";
            EXPECT_TRUE(shape.match(sample.line).hasMatch()) << sample.line.toStdString();
            lines << sample.line;
        }
    }
    EXPECT_TRUE(busyWhileScanning);
    EXPECT_GE(lines.size(), 2) << "the line moves while the archive arrives";
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const QString& line) {
        return whole.match(line).hasMatch();
    })) << QStringList(lines.values()).join(" | ").toStdString();
    EXPECT_EQ(window->Status()->text(), QString::fromUtf8(kNotUpdatedMessage));
    EXPECT_TRUE(window->transferLine()->text().isEmpty()) << "no line once the transfer ended";
}

struct LineRow {
    const char* name;
    TransferProgress progress;
    int elapsedMs;
    const char* line;
};

void PrintTo(const LineRow& row, std::ostream* out) {
    *out << row.name;
}

class TransferLineText : public ::testing::TestWithParam<LineRow> {};

TEST_P(TransferLineText, SaysTheBytesTheSpeedAndTheTimeLeft) {
    const LineRow& row = GetParam();
    EXPECT_EQ(TransferProgressLine(row.progress, std::chrono::milliseconds(row.elapsedMs)),
              QString::fromUtf8(row.line));
}

constexpr std::uint64_t kMB = 1000 * 1000;

INSTANTIATE_TEST_SUITE_P(
    WinMain, TransferLineText,
    ::testing::Values(
        LineRow{"NothingYetNoSpeed", {0, 200 * kMB}, 400, "0 bytes of 200.0 MB"},
        LineRow{"NoTimeElapsedNoSpeed", {512, 0}, 0, "512 bytes"},
        LineRow{"UnannouncedLengthNoTimeLeft", {1536, 0}, 1000, "1.5 kB, 1.5 kB/s"},
        LineRow{"MinutesLeft",
                {2 * kMB, 200 * kMB},
                1000,
                "2.0 MB of 200.0 MB, 2.0 MB/s, 1 min 39 s left"},
        LineRow{"HoursLeft",
                {kMB, 10240 * kMB},
                10000,
                "1.0 MB of 10.2 GB, 100.0 kB/s, 28 h 26 min left"},
        LineRow{"BytesPerSecond", {500, 1000}, 2000, "500 bytes of 1.0 kB, 250 bytes/s, 2 s left"},
        LineRow{"PartSecondRoundsUp", {1000, 1100}, 1000, "1.0 kB of 1.1 kB, 1.0 kB/s, 1 s left"},
        LineRow{"AllArrived", {1000, 1000}, 1000, "1.0 kB of 1.0 kB, 1.0 kB/s, 0 s left"},
        LineRow{"MoreThanAnnouncedNoTimeLeft", {2000, 1000}, 1000, "2.0 kB of 1.0 kB, 2.0 kB/s"},
        LineRow{"DecimalUnitsAsFileManagersCount", {50'007'962, 0}, 0, "50.0 MB"},
        LineRow{"ShownAsTheNextUnitWhenRoundedUpToIt", {999'960, 0}, 0, "1.0 MB"},
        LineRow{"OnlyTheChangedPartOfARelease",
                {2'000'000, 4'000'000, 32'000'000},
                1000,
                "2.0 MB of 4.0 MB to fetch, 32.0 MB release, 2.0 MB/s, 1 s left"}),
    CaseName());

} // namespace
} // namespace quillset::test
