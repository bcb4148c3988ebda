#include "movie/Form1.h"
#include "movie/PictureBox.h"
#include "platform/ScriptedDialogs.h"
#include "tests/support/CaseName.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/FormChecks.h"
#include "widgets/QtDialogs.h"

#include <QApplication>
#include <QDataStream>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

QImage Solid(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

// The form with scripted dialogs; the buttons' effects outside the form are recorded.
struct FormFixture {
    ScriptedDialogs dialogs;
    std::vector<ScheduleContents> printed;
    int ended = 0;
    QStringList notLoaded; // the files told to the failure log
    std::unique_ptr<Form1> form;

    FormFixture() {
        ScheduleContents start = SampleScheduleTexts();
        start.picture1 = Picture(Solid(198, 189, Qt::red));
        start.picture2 = Picture(Solid(224, 226, Qt::blue));
        Form1Actions actions;
        actions.dialogs = &dialogs;
        actions.printSchedule = [this](const ScheduleContents& c) { printed.push_back(c); };
        actions.endProgram = [this] { ++ended; };
        actions.pictureNotLoaded = [this](const QString& file, const QString& reason) {
            EXPECT_FALSE(reason.isEmpty()) << file.toStdString();
            notLoaded << file;
        };
        form = std::make_unique<Form1>(start, std::move(actions));
    }

    template <typename T> T* child(const char* name) {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    void click(const char* button) { child<QPushButton>(button)->click(); }
};

TEST(Form1, ShowsTheControlsAtTheirPlaces) {
    FormFixture f;
    EXPECT_EQ(f.form->windowTitle(), "Movie Schedule");
    EXPECT_EQ(f.form->size(), QSize(570, 404));
    struct Place {
        const char* name;
        QRect pixels;
    };
    for (const Place& p :
         {Place{"BoxDay", {8, 32, 273, 19}}, Place{"Picture1", {8, 72, 137, 129}},
          Place{"Command1", {128, 184, 17, 17}}, Place{"Text1", {152, 72, 273, 129}},
          Place{"SList", {432, 96, 129, 212}}, Place{"Command4", {472, 360, 89, 33}}})
        EXPECT_EQ(f.child<QWidget>(p.name)->geometry(), p.pixels) << p.name;
    // A caption keeps its place and at least its design size; it may grow to fit its text.
    const QRect label6 = f.child<QWidget>("Label6")->geometry();
    EXPECT_EQ(label6.topLeft(), QPoint(432, 312));
    EXPECT_GE(label6.width(), 32);
    EXPECT_GE(label6.height(), 13);
}

TEST(Form1, NoCaptionIsClippedAndTheDefaultButtonShowsItsFocus) {
    FormFixture f;
    f.form->show();
    f.form->activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(ClippedLabels(*f.form).join("; ").toStdString(), "");
    EXPECT_TRUE(DefaultButtonShowsFocus(*f.child<QPushButton>("Command4")));
    // "Movie description 1:" grows to the right, still short of the schedule column.
    EXPECT_LT(f.child<QWidget>("Label3")->geometry().right(),
              f.child<QWidget>("Label5")->geometry().left());
}

TEST(Form1, PrintsTheDefaultContentsRightAfterStart) {
    FormFixture f;
    f.click("Command4");
    ASSERT_EQ(f.printed.size(), 1u);
    const ScheduleContents& c = f.printed.front();
    EXPECT_EQ(c.day, "Sunday Movie");
    EXPECT_EQ(c.rated, "PG13");
    EXPECT_EQ(c.showTimes, QStringList({"16:00", "18:00", "20:00"}));
    EXPECT_EQ(c.description1, SampleScheduleTexts().description1);
    EXPECT_TRUE(c.description2.endsWith("\r\n"));
    EXPECT_EQ(c.picture1.naturalSize(), QSize(198, 189));
    EXPECT_EQ(c.picture2.naturalSize(), QSize(224, 226));
}

TEST(Form1, PlusAppendsTheTimeUnchangedEvenEmptyOrRepeated) {
    FormFixture f;
    auto* text3 = f.child<QLineEdit>("Text3");
    text3->setText(" 22:30 ");
    f.click("Command3");
    f.click("Command3");
    text3->clear();
    f.click("Command3");
    f.click("Command4");
    EXPECT_EQ(f.printed.back().showTimes,
              QStringList({"16:00", "18:00", "20:00", " 22:30 ", " 22:30 ", ""}));
}

// Picture files of every kind the "..." buttons may be handed, written to a temporary folder.
class PictureFiles {
public:
    PictureFiles() {
        EXPECT_TRUE(Solid(40, 30, Qt::green).save(path("good.bmp"), "BMP"));
        QFile good(path("good.bmp"));
        good.open(QIODevice::ReadOnly);
        const QByteArray bmp = good.readAll();
        write("truncated.bmp", bmp.left(bmp.size() / 2));
        write("header-only.bmp", bmp.left(20));
        write("not-a-picture.bmp", "Sunday Movie, 16:00 and 18:00\r\n");
        write("empty.bmp", {});
        write("huge.bmp", hugeBitmapHeader());
    }
    QString path(const QString& name) const { return folder_.filePath(name); }

private:
    // A 24-bit bitmap that declares 30000 x 30000 pixels (2.7 GB) and holds none.
    static QByteArray hugeBitmapHeader() {
        QByteArray header(54, 0);
        QDataStream out(&header, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out << quint8('B') << quint8('M') << quint32(54 + 30000u * 30000u * 3) << quint32(0)
            << quint32(54) << quint32(40) << qint32(30000) << qint32(30000) << quint16(1)
            << quint16(24) << quint32(0) << quint32(0) << qint32(2835) << qint32(2835) << quint32(0)
            << quint32(0);
        return header;
    }
    void write(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir folder_;
};

TEST(Form1, ChoosingABitmapAsksForBmpFilesAndLoadsTheChosenOne) {
    PictureFiles files;
    FormFixture f;
    f.dialogs.queueOpenFile(files.path("good.bmp"));
    f.click("Command2");
    ASSERT_EQ(f.dialogs.openDialogs().size(), 1u);
    EXPECT_EQ(f.dialogs.openDialogs()[0].fileName, "*.BMP");
    EXPECT_EQ(f.dialogs.openDialogs()[0].filter, "Windows Bitmap (*.BMP)|*.BMP");
    EXPECT_EQ(f.child<PictureBox>("Picture2")->picture().naturalSize(), QSize(40, 30));
    EXPECT_EQ(f.child<PictureBox>("Picture1")->picture().naturalSize(), QSize(198, 189));
    EXPECT_TRUE(f.notLoaded.isEmpty());
    f.click("Command4");
    EXPECT_EQ(f.printed.back().picture2.naturalSize(), QSize(40, 30));
}

// Nothing chosen, or nothing readable chosen: the old picture stays and the user is told
// nothing; a chosen file that gave no picture goes to the failure log with its reason.
TEST(Form1, ChoicesThatGiveNoPictureKeepTheOldOne) {
    PictureFiles files;
    for (const QString& answer :
         {QString("*.BMP"), QString("   "), QString(), files.path("truncated.bmp"),
          files.path("header-only.bmp"), files.path("not-a-picture.bmp"), files.path("empty.bmp"),
          files.path("huge.bmp"), files.path("missing.bmp"), files.path("")}) {
        FormFixture f;
        f.dialogs.queueOpenFile(answer);
        f.click("Command1");
        EXPECT_EQ(f.dialogs.openDialogs().size(), 1u);
        EXPECT_EQ(f.child<PictureBox>("Picture1")->picture().naturalSize(), QSize(198, 189))
            << answer.toStdString();
        EXPECT_TRUE(f.dialogs.messages().empty());
        const bool chosen = !answer.trimmed().isEmpty() && answer != "*.BMP";
        EXPECT_EQ(f.notLoaded, chosen ? QStringList{answer} : QStringList())
            << answer.toStdString();
    }
}

// The real dialog opens in the user's Pictures folder, whatever folder the program started in.
TEST(Form1, CancellingTheRealFileDialogKeepsThePicture) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkpath("Pictures"));
    const EnvironmentOverride homeFolder("HOME", home.path().toUtf8());
    const EnvironmentOverride configFolder("XDG_CONFIG_HOME", home.filePath(".config").toUtf8());
    QtDialogs qtDialogs;
    Form1Actions actions;
    actions.dialogs = &qtDialogs;
    ScheduleContents start;
    start.picture1 = Picture(Solid(198, 189, Qt::red));
    Form1 form(start, actions);
    form.show();
    bool dialogSeen = false;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            dialogSeen = true;
            EXPECT_EQ(dialog->directory().absolutePath().toStdString(),
                      home.filePath("Pictures").toStdString());
            dialog->reject();
        }
    });
    form.findChild<QPushButton*>("Command1")->click();
    EXPECT_TRUE(dialogSeen);
    EXPECT_EQ(form.findChild<PictureBox*>("Picture1")->picture().naturalSize(), QSize(198, 189));
}

TEST(Form1, StartsWithTheSampleBitmapsOfTheDemoFolder) {
    const ScheduleContents start = StartingSchedule();
    EXPECT_EQ(start.picture1.naturalSize(), QSize(198, 189));
    EXPECT_EQ(start.picture2.naturalSize(), QSize(224, 226));
    ASSERT_NE(start.picture1.bitmap(), nullptr);
    EXPECT_EQ(start.picture1.bitmap()->depth(), 32); // 24-bit files, held as RGB32
}

// A key held on one control of the shown form: what it prints, where the focus goes, and that no
// key types into a description.
struct KeyRow {
    const char* name;
    const char* focus;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int repeats;
    int prints;
    const char* focusAfter; // nullptr: the window closed
    RepeatMarks marks = RepeatMarks::Marked;
};

class Form1Keys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(Form1Keys, DoWhatTheRowSays) {
    const KeyRow& row = GetParam();
    FormFixture f;
    f.form->show();
    f.form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
    f.child<QWidget>(row.focus)->setFocus();
    HoldKey(row.key, row.modifiers, row.repeats, row.marks);
    EXPECT_EQ(f.printed.size(), std::size_t(row.prints));
    if (row.focusAfter) {
        EXPECT_EQ(QApplication::focusWidget(), f.child<QWidget>(row.focusAfter));
    }
    EXPECT_EQ(f.form->isVisible(), row.focusAfter != nullptr);
    EXPECT_EQ(f.form->contents().description1, SampleScheduleTexts().description1);
    EXPECT_EQ(f.ended, 0) << "keys close the window; only Exit ends the program at once";
}

INSTANTIATE_TEST_SUITE_P(
    Form1, Form1Keys,
    ::testing::Values(
        KeyRow{"TabLeavesADescriptionBox", "Text1", Qt::Key_Tab, {}, 0, 0, "Text3"},
        KeyRow{"HeldEnterOnPrintPrintsOnce", "Command4", Qt::Key_Return, {}, 25, 1, "Command4"},
        KeyRow{"HeldCtrlPPrintsOnce", "BoxDay", Qt::Key_P, Qt::ControlModifier, 25, 1, "BoxDay"},
        KeyRow{"EscCloses", "Title", Qt::Key_Escape, {}, 0, 0, nullptr},
        KeyRow{"CtrlWCloses", "SList", Qt::Key_W, Qt::ControlModifier, 0, 0, nullptr},
        KeyRow{"UnmarkedRepeatsOfSpacePrintOnce",
               "Command4",
               Qt::Key_Space,
               {},
               25,
               1,
               "Command4",
               RepeatMarks::Unmarked},
        KeyRow{"UnmarkedRepeatsOfCtrlPPrintOnce", "Title", Qt::Key_P, Qt::ControlModifier, 25, 1,
               "Title", RepeatMarks::Unmarked}),
    CaseName());

TEST(Form1, ExitEndsTheProgram) {
    FormFixture f;
    f.click("Command5");
    EXPECT_EQ(f.ended, 1);
    EXPECT_TRUE(f.printed.empty());
}

} // namespace
} // namespace quillset::test
