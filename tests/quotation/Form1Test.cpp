#include "quotation/Form1.h"
#include "platform/FailureLog.h"
#include "print/PrintWindow.h"
#include "quotation/FormLogo.h"
#include "tests/support/CaseName.h"
#include "tests/support/DemoFiles.h"
#include "tests/support/DesktopSession.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/Files.h"
#include "tests/support/FormChecks.h"
#include "tests/support/FrameServices.h"
#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sys/prctl.h>
#include <unistd.h>

namespace quillset::test {
namespace {

TEST(Form1, WindowAndControlsFollowTheDesignInTwips) {
    FrameServices f;
    Form1 form(f.services);
    EXPECT_EQ(form.windowTitle(), "Quotaton - Quillset Demo!");
    EXPECT_EQ(form.minimumSize(), QSize(386, 423));
    EXPECT_EQ(form.maximumSize(), QSize(386, 423));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    struct Placed {
        QWidget* control;
        QRect twips;
    };
    for (const Placed& p :
         {Placed{form.Image1, {120, 120, 1290, 1260}}, Placed{form.Label1, {1560, 240, 3465, 360}},
          Placed{form.Text1, {120, 1680, 5535, 285}}, Placed{form.Text2, {120, 2280, 5535, 285}},
          Placed{form.List1, {120, 2880, 5535, 2205}}, Placed{form.Text3, {120, 5400, 5535, 285}},
          Placed{form.Command2, {120, 5880, 1215, 375}},
          Placed{form.Command1, {3840, 5880, 1815, 375}}}) {
        const QRect& t = p.twips;
        EXPECT_EQ(p.control->geometry(),
                  QRect(t.x() / 15, t.y() / 15, t.width() / 15, t.height() / 15))
            << p.control->metaObject()->className();
    }
    EXPECT_EQ(form.Line1->geometry().y(), 64);
    EXPECT_EQ(form.Line1->geometry().width(), (5640 - 1560) / 15);
    EXPECT_DOUBLE_EQ(form.Label1->font().pointSizeF(), 13.5);
    EXPECT_EQ(form.Command1->text(), "Print Quotation");
    EXPECT_EQ(form.Command2->text(), "Close");
    EXPECT_EQ(form.Text2->text(), "4352 Hillstreets, Toronto CA");
    ASSERT_EQ(form.List1->count(), 3);
    EXPECT_EQ(form.List1->item(0)->text(), "$10.00 - Delivery to Canada");
    EXPECT_EQ(form.List1->item(1)->text(), "$15.00 - Delivery to Mexico");
    EXPECT_EQ(form.List1->item(2)->text(), "$45.00 - Delivery to Japan!");
}

TEST(Form1, LogoIsDrawnFromTheStoredMetafile) {
    FrameServices f;
    Form1 form(f.services);
    EXPECT_EQ(FormLogoData().size(), 4246);
    const QImage logo = form.Image1->pixmap().toImage();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(86, 84));
    int inked = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            inked += qAlpha(logo.pixel(x, y)) != 0;
    EXPECT_GT(inked, logo.width() * logo.height() / 3) << "the globe fills much of the box";
}

TEST(Form1, FocusStartsOnPrintAndTabVisitsTheDesignOrder) {
    FrameServices f;
    Form1 form(f.services);
    form.show();
    EXPECT_EQ(form.focusWidget(), form.Command1);
    std::vector<QWidget*> visited;
    QWidget* at = form.Command1;
    for (int i = 0; i < 6; ++i) {
        do
            at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus));
        visited.push_back(at);
    }
    const std::vector<QWidget*> expected = {form.Text1,    form.List1, form.Text3,
                                            form.Command2, form.Text2, form.Command1};
    EXPECT_EQ(visited, expected);
}

// Clicking "Print Quotation" trims the boxes, prints the letter and shows the job's message.
TEST(Form1, PrintQuotationClickPrintsTheBoxesAsTheyStandTrimmed) {
    FrameServices f;
    Form1 form(f.services);
    form.show();
    struct Click {
        QString name, address, signer;
        QString printedName, printedAddress, printedSigner;
    };
    const std::vector<Click> clicks = {
        {"  Jane  Doe  ", "\t1 Elm St ", " Al", "Jane  Doe", "\t1 Elm St", "Al"},
        {"Max Planck", "", "", "Max Planck", "", ""},
    };
    for (std::size_t k = 0; k < clicks.size(); ++k) {
        const Click& c = clicks[k];
        form.Text1->setText(c.name);
        form.Text2->setText(c.address);
        form.Text3->setText(c.signer);
        form.Command1->click();
        ASSERT_EQ(f.pages.size(), k + 1);
        const auto texts = f.pages.back()->texts();
        const auto textAt = [&](float x, float y) -> std::optional<QString> {
            for (const auto& t : texts)
                if (t.x == x && t.y == y)
                    return t.text;
            return std::nullopt;
        };
        EXPECT_EQ(textAt(585, 3135), c.printedName) << k;
        EXPECT_EQ(textAt(585, 3465), c.printedAddress) << k;
        EXPECT_EQ(textAt(8805, 13095), c.printedSigner) << k;
        EXPECT_EQ(textAt(570, 4508), "$10.00 - Delivery to Canada") << k;
        ASSERT_EQ(f.dialogs.messages().size(), k + 1);
        EXPECT_EQ(f.dialogs.messages().back().title, "QUOTATION");
        EXPECT_EQ(f.dialogs.messages().back().text, "1 page(s) sent to printer");
        EXPECT_TRUE(form.lastResult().sent);
    }
}

// The bus programs (dbus-daemon, dbus-launch) that are children of this test. A daemon started
// in the background is handed to the test, its nearest subreaper, once its starter has gone.
QSet<int> BusPrograms() {
    QSet<int> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QByteArray stat = ReadAll("/proc/" + entry + "/stat");
        const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (open < 0 || fields.size() < 2 || fields[1].toInt() != ::getpid())
            continue;
        if (stat.mid(open + 1, close - open - 1).startsWith("dbus-"))
            found << entry.toInt();
    }
    return found;
}

// Where the session bus of a failed print is: the one DBUS_SESSION_BUS_ADDRESS names ("session":
// the test desktop's; none when null), and whether the desktop's bus listens at the user's
// runtime folder. The display is always there, with which the bus library would start a bus.
struct BusRow {
    const char* name;
    const char* address;
    bool runtimeBus;
    bool notified;
};

class FailedPrintNotice : public ::testing::TestWithParam<BusRow> {};

// A print that fails from the window is told by the desktop's notification service (a real
// dunst on a bus of the test's own), with the program, the reason and the log's path; never by a
// box. Where no session bus exists, the failure stays with standard error and the log, and no bus
// or notification daemon is started for it.
TEST_P(FailedPrintNotice, GoesToTheSessionBusThatExistsAndStartsNone) {
    const BusRow& row = GetParam();
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    QTemporaryDir runtime;
    DesktopSession desktop(row.notified, row.runtimeBus ? runtime.filePath("bus") : QString());
    ASSERT_TRUE(desktop.ok()) << desktop.why;
    const QByteArray named = !row.address                           ? QByteArray()
                             : QByteArray(row.address) == "session" ? desktop.busAddress().toUtf8()
                                                                    : QByteArray(row.address);
    const EnvironmentOverride address("DBUS_SESSION_BUS_ADDRESS", named);
    const EnvironmentOverride folder("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const EnvironmentOverride display("DISPLAY", desktop.display().toUtf8());
    DemoDriveCopy drive("QUOTATION");
    ASSERT_TRUE(drive.remove("GLOBE.WMF"));
    FrameServices f;
    f.services.tellFailure = NotifyPrintFailure;
    Form1 form(f.services);
    const QSet<int> before = BusPrograms();
    form.Command1->click();
    EXPECT_FALSE(form.lastResult().sent);
    EXPECT_TRUE(f.dialogs.messages().empty()) << "no message box";
    const QSet<int> started = BusPrograms() - before;
    for (const int pid : started)
        ::kill(pid, SIGTERM);
    EXPECT_TRUE(started.isEmpty()) << started.size() << " bus programs started";
    if (!row.notified)
        return;
    const QString calls = desktop.notifyCalls();
    EXPECT_EQ(calls.count("member=Notify"), 1) << calls.toStdString();
    EXPECT_TRUE(calls.contains("string \"quotation\"")) << calls.toStdString();
    EXPECT_TRUE(calls.contains("string \"The letter was not printed\"")) << calls.toStdString();
    EXPECT_TRUE(calls.contains("GLOBE.WMF")) << calls.toStdString();
    EXPECT_TRUE(calls.contains(QString::fromStdString(FailureLogFile("quotation").string())))
        << calls.toStdString();
    EXPECT_EQ(desktop.shownNotifications(), 1) << "dunst shows it";
}

INSTANTIATE_TEST_SUITE_P(
    Form1, FailedPrintNotice,
    ::testing::Values(BusRow{"NamedBusShowsIt", "session", false, true},
                      BusRow{"RuntimeFolderBusShowsIt", nullptr, true, true},
                      BusRow{"NamedBusThatIsGoneTellsNobody", "unix:path=/nonexistent/bus", false,
                             false},
                      BusRow{"NoBusOnADisplayStartsNone", nullptr, false, false},
                      BusRow{"AutolaunchAddressStartsNone", "autolaunch:", false, false}),
    CaseName());

TEST(Form1, NoCaptionIsClippedAndTheDefaultButtonShowsItsFocus) {
    FrameServices f;
    Form1 form(f.services);
    form.show();
    form.activateWindow();
    QCoreApplication::processEvents();
    EXPECT_EQ(ClippedLabels(form).join("; ").toStdString(), "");
    EXPECT_TRUE(DefaultButtonShowsFocus(*form.Command1));
    // Grown captions stay clear of the controls beside and below them.
    EXPECT_LE(form.Label2->geometry().right(), form.width());
    EXPECT_LE(form.Label3->geometry().bottom(), form.Text1->geometry().top());
}

// A key held on one control of the shown form: the letters it prints and whether the window stays.
struct KeyRow {
    const char* name;
    QLineEdit* Form1::*focus; // nullptr: the Print button
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int repeats;
    std::size_t letters;
    bool closes;
    RepeatMarks marks = RepeatMarks::Marked;
    int presses = 1;
    bool realBoxes = false; // the job's message in a real box, which the repeats reach
};

class Form1Keys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(Form1Keys, DoWhatTheRowSays) {
    const KeyRow& row = GetParam();
    FrameServices f;
    QtDialogs boxes;
    PrintJobServices services{f.services.openPage,
                              f.pictures,
                              f.pointer,
                              row.realBoxes ? static_cast<Dialogs&>(boxes) : f.dialogs,
                              f.clock,
                              f.services.applicationTitle,
                              f.services.programName,
                              f.services.documentName};
    Form1 form(services);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QWidget* focus = row.focus ? static_cast<QWidget*>(form.*row.focus) : form.Command1;
    focus->setFocus();
    for (int press = 0; press < row.presses; ++press) {
        // A box the press opened stays open through the repeats and the release.
        EXPECT_EQ(HoldKey(row.key, row.modifiers, row.repeats, row.marks),
                  row.realBoxes && row.letters > 0);
    }
    EXPECT_EQ(f.pages.size(), row.letters);
    if (!row.realBoxes) {
        EXPECT_EQ(f.dialogs.messages().size(), row.letters);
    }
    EXPECT_EQ(form.isVisible(), !row.closes);
    if (!row.closes) {
        // Back from a box, once the window is active again: off-screen no window manager gives
        // it back its activation.
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        EXPECT_EQ(QApplication::focusWidget(), focus);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Form1, Form1Keys,
    ::testing::Values(
        KeyRow{"HeldEnterOnPrintPrintsOnce", nullptr, Qt::Key_Return, {}, 25, 1, false},
        KeyRow{"HeldCtrlPPrintsOnce", &Form1::Text2, Qt::Key_P, Qt::ControlModifier, 25, 1, false},
        KeyRow{"EscCloses", &Form1::Text1, Qt::Key_Escape, {}, 0, 0, true},
        KeyRow{"CtrlWCloses", &Form1::Text3, Qt::Key_W, Qt::ControlModifier, 0, 0, true},
        KeyRow{"UnmarkedRepeatsOfEnterPrintOnce",
               nullptr,
               Qt::Key_Return,
               {},
               25,
               1,
               false,
               RepeatMarks::Unmarked},
        KeyRow{"UnmarkedRepeatsOfSpacePrintOnce",
               nullptr,
               Qt::Key_Space,
               {},
               25,
               1,
               false,
               RepeatMarks::Unmarked},
        KeyRow{"UnmarkedRepeatsOfCtrlPPrintOnce", &Form1::Text1, Qt::Key_P, Qt::ControlModifier, 25,
               1, false, RepeatMarks::Unmarked},
        KeyRow{"HeldEnterNeitherClosesTheBoxNorPrintsAgain",
               nullptr,
               Qt::Key_Return,
               {},
               25,
               1,
               false,
               RepeatMarks::Unmarked,
               1,
               true},
        KeyRow{"HeldSpaceNeitherClosesTheBoxNorPrintsAgain",
               nullptr,
               Qt::Key_Space,
               {},
               25,
               1,
               false,
               RepeatMarks::Marked,
               1,
               true},
        KeyRow{"EachNewPressPrintsAgain",
               nullptr,
               Qt::Key_Return,
               {},
               3,
               3,
               false,
               RepeatMarks::Unmarked,
               3}),
    CaseName());

TEST(Form1, CloseEndsTheProgram) {
    FrameServices f;
    Form1 form(f.services);
    form.show();
    QTimer::singleShot(0, form.Command2, &QPushButton::click);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(f.pages.empty()) << "nothing printed";
}

} // namespace
} // namespace quillset::test
