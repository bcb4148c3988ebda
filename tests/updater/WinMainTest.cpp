#include "updater/WinMain.h"
#include "tests/support/FormChecks.h"
#include "tests/updater/AgentFixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

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
    const auto* label1 = window->findChild<QLabel*>("Label1");
    const auto* label2 = window->findChild<QLabel*>("Label2");
    ASSERT_TRUE(label1 && label2);
    EXPECT_EQ(label1->text(), "Talvex Labs update agent");
    EXPECT_EQ(label2->text(), label1->text());
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

} // namespace
} // namespace quillset::test
