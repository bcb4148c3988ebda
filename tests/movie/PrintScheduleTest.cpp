#include "movie/PrintSchedule.h"
#include "movie/TextForm.h"
#include "platform/DateText.h"
#include "platform/QtMousePointer.h"
#include "platform/ScriptedDialogs.h"
#include "platform/SystemClock.h"
#include "print/PicturesFrm.h"
#include "print/RecordingSurface.h"
#include "print/TextPrintingModule.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sstream>

namespace quillset {
namespace {

using Kind = RecordingSurface::Kind;
using Operation = RecordingSurface::Operation;

// A recording page that hands what was done on it to the test when the job lets go of it.
class KeptPage : public RecordingSurface {
public:
    explicit KeptPage(std::vector<Operation>* kept) : kept_(kept) {}
    ~KeptPage() override { *kept_ = operations(); }

private:
    std::vector<Operation>* kept_;
};

// A text canvas that records; the test keeps it beyond the job that destroys the slot.
class RecordingTextArea : public TextAreaCanvas {
public:
    explicit RecordingTextArea(std::shared_ptr<RecordingSurface> surface)
        : surface_(std::move(surface)) {}
    PrintSurface& Surface() override { return *surface_; }
    Picture Image() override {
        const QSizeF pixels(surface_->Width() / 15.0, surface_->Height() / 15.0);
        return Picture(QPicture(), QRectF(QPointF(), pixels), pixels.toSize());
    }

private:
    std::shared_ptr<RecordingSurface> surface_;
};

QImage Solid(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

ScheduleContents Contents() {
    ScheduleContents contents = SampleScheduleTexts();
    contents.picture1 = Picture(Solid(198, 189));
    contents.picture2 = Picture(Solid(224, 226));
    return contents;
}

struct ScheduleJob {
    FixedClock clock{QDateTime(QDate(2024, 3, 9), QTime(16, 5, 7))};
    PicturesFrm pictures;
    RememberedMousePointer pointer;
    ScriptedDialogs dialogs;
    std::vector<Operation> page;
    std::vector<std::shared_ptr<RecordingSurface>> canvases;
    TextForm textForm{[this] {
        canvases.push_back(std::make_shared<RecordingSurface>());
        return std::make_unique<RecordingTextArea>(canvases.back());
    }};
    PrintJobServices services{[this] { return std::make_unique<KeptPage>(&page); },
                              pictures,
                              pointer,
                              dialogs,
                              clock,
                              kMovieTitle,
                              QStringLiteral("movie"),
                              QStringLiteral("schedule")};

    PrintJobResult print(const ScheduleContents& contents = Contents()) {
        canvases.clear();
        return PrintSchedule(services, textForm, contents);
    }
    std::vector<Operation> drawn(Kind kind) const {
        std::vector<Operation> result;
        std::copy_if(page.begin(), page.end(), std::back_inserter(result),
                     [&](const Operation& op) { return op.kind == kind; });
        return result;
    }
};

struct Expected {
    Kind kind;
    float x, y;
    int width = 0, height = 0;
    QString text = {};
    QString font = {};
    float size = 0;
};

std::string Describe(const Operation& op) {
    std::ostringstream out;
    out << int(op.kind) << " at " << op.x << "," << op.y << " " << op.width << "x" << op.height
        << " '" << op.text.toStdString() << "' " << op.fontName.toStdString() << " " << op.fontSize;
    return out.str();
}

TEST(PrintSchedule, PlacesEveryElementOfThePage) {
    ScheduleJob job;
    ASSERT_TRUE(job.print().sent);

    const QString arial = "Arial", sans = "MS Sans Serif";
    const QString footer = GeneralDateText(job.clock.now()) + " - Page 1 ";
    const std::vector<Expected> expected = {
        {Kind::Picture, 615, 585, 1215, 14730},
        {Kind::Picture, 1912, 1972, 9450, 286},
        {Kind::Picture, 9908, 652, 1417, 1237},
        {Kind::Picture, 4958, 3202, 6240, 5820},
        {Kind::Picture, 2272, 9622, 2626, 2144},
        {Kind::Text, 2302, 12322, 0, 0, "Schedule:", arial, 15},
        {Kind::Text, 6758, 14092, 0, 0, "Rated", arial, 15},
        {Kind::Text, 2265, 2595, 0, 0, "The Keeper of the Northern Light", arial, 21},
        {Kind::Text, 7778, 13718, 0, 0, "PG13", sans, 48.75f},
        {Kind::Text, 1988, 998, 0, 0, "Sunday Movie", sans, 36},
        {Kind::Text, 2272, 12712, 0, 0, "16:00", sans, 8.25f},
        {Kind::Text, 2272, 12893.5f, 0, 0, "18:00", sans, 8.25f},
        {Kind::Text, 2272, 13075, 0, 0, "20:00", sans, 8.25f},
        {Kind::Picture, 2242, 3218, 2370, 5894},
        {Kind::Picture, 4988, 9622, 6180, 3150},
        {Kind::Text, 567, 14500, 0, 0, footer, sans, 10},
        {Kind::EndDocument, 0, 0},
    };
    std::vector<Operation> placed;
    for (const Operation& op : job.page) {
        if (op.kind == Kind::Text || op.kind == Kind::Picture || op.kind == Kind::EndDocument)
            placed.push_back(op);
    }
    ASSERT_EQ(placed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        const Operation& op = placed[i];
        SCOPED_TRACE(Describe(op));
        EXPECT_EQ(op.kind, e.kind);
        if (e.kind == Kind::EndDocument)
            continue;
        EXPECT_FLOAT_EQ(op.x, e.x);
        EXPECT_FLOAT_EQ(op.y, e.y);
        EXPECT_EQ(op.width, e.width);
        EXPECT_EQ(op.height, e.height);
        if (e.kind == Kind::Text) {
            EXPECT_EQ(op.text, e.text);
            EXPECT_EQ(op.fontName, e.font);
            EXPECT_FLOAT_EQ(op.fontSize, e.size);
            EXPECT_EQ(op.color, kWindowTextColor);
        }
    }
    // The decorative metafiles and the canvases stay vector drawing; the form's pictures are
    // bitmaps.
    const std::vector<bool> vector = {true, true, true, false, false, true, true};
    const auto pictures = job.drawn(Kind::Picture);
    for (std::size_t i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(pictures[i].vectorPicture, vector[i]) << "picture " << i + 1;
}

TEST(PrintSchedule, SetsEachDescriptionOnItsOwnCanvas) {
    struct Canvas {
        QString text;
        int width, height;
        float fontSize;
    };
    ScheduleJob job;
    const ScheduleContents contents = Contents();
    ASSERT_TRUE(job.print(contents).sent);
    ASSERT_EQ(job.canvases.size(), 2u);
    const Canvas expected[] = {{contents.description1, 2370, 5894, 8.25f},
                               {contents.description2, 6180, 3150, 9.75f}};
    for (int k = 0; k < 2; ++k) {
        const RecordingSurface& canvas = *job.canvases[k];
        EXPECT_EQ(canvas.Width(), expected[k].width);
        EXPECT_EQ(canvas.Height(), expected[k].height);
        QString drawn;
        for (const Operation& op : canvas.texts()) {
            EXPECT_EQ(op.fontName, "Courier New");
            EXPECT_FLOAT_EQ(op.fontSize, expected[k].fontSize);
            EXPECT_EQ(op.color, kWindowTextColor);
            drawn += op.text;
        }
        EXPECT_EQ(drawn.remove(u' '), PrepareParagraphText(expected[k].text).remove(u' '))
            << "canvas " << k + 1;
    }
}

TEST(PrintSchedule, LongDescriptionIsCutAtItsCanvasAndThePageGoesOn) {
    ScheduleJob job;
    ScheduleContents contents = Contents();
    contents.description1 = contents.description1.repeated(20);
    ASSERT_TRUE(job.print(contents).sent);
    const auto canvasTexts = job.canvases.at(0)->texts();
    ASSERT_FALSE(canvasTexts.empty());
    EXPECT_LE(canvasTexts.back().y, 5894);
    EXPECT_LT(canvasTexts.size(), std::size_t(contents.description1.size()) / 2);
    EXPECT_EQ(job.drawn(Kind::Picture).size(), 7u);
    EXPECT_EQ(job.drawn(Kind::Text).back().y, 14500);
}

TEST(PrintSchedule, EmptyContentsPrintTheHeadingsAndNoShowTimes) {
    ScheduleJob job;
    ScheduleContents contents = Contents();
    contents.showTimes.clear();
    contents.day.clear();
    contents.title.clear();
    contents.rated.clear();
    contents.description1.clear();
    ASSERT_TRUE(job.print(contents).sent);
    QStringList texts;
    for (const Operation& op : job.drawn(Kind::Text))
        texts << op.text;
    EXPECT_EQ(texts.mid(0, 5), QStringList({"Schedule:", "Rated", "", "", ""}));
    EXPECT_EQ(texts.size(), 6); // and the footer
    EXPECT_TRUE(job.canvases.at(0)->texts().empty());
}

TEST(PrintSchedule, EndsWithOneMessageArrowPointerAndNothingLeftLoaded) {
    ScheduleJob job;
    ASSERT_TRUE(job.print().sent);
    const std::vector<Operation> first = job.page;
    ASSERT_TRUE(job.print().sent);

    // The second job starts again from slot 1 and prints the same page.
    ASSERT_EQ(job.page.size(), first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(job.page[i].kind, first[i].kind) << i;
        EXPECT_EQ(job.page[i].text, first[i].text) << i;
        EXPECT_EQ(job.page[i].x, first[i].x) << i;
        EXPECT_EQ(job.page[i].y, first[i].y) << i;
    }
    ASSERT_EQ(job.dialogs.messages().size(), 2u);
    for (const MessageBoxRequest& message : job.dialogs.messages()) {
        EXPECT_EQ(message.text, "1 page(s) sent to printer");
        EXPECT_EQ(message.title, "MOVIE");
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(job.pointer.shape(), PointerShape::Arrow);
    EXPECT_EQ(job.pictures.HighestDocImg(), 0);
    EXPECT_FALSE(job.pictures.IsLoaded());
    EXPECT_EQ(job.textForm.HighestTextArea(), 0);
    EXPECT_FALSE(job.textForm.IsLoaded());
}

// Points QUILLSET_DRIVE_C at a copy of the demo pictures for as long as it lives.
class DriveCopy {
public:
    DriveCopy() : previous_(qgetenv("QUILLSET_DRIVE_C")) {
        const QDir source(QString::fromLocal8Bit(previous_) + "/QSET_DEMOS/FORMATED TEXT");
        pictures_ = drive_.path() + "/QSET_DEMOS/FORMATED TEXT";
        QDir().mkpath(pictures_);
        for (const QString& name : source.entryList(QDir::Files))
            QFile::copy(source.filePath(name), pictures_ + "/" + name);
        qputenv("QUILLSET_DRIVE_C", drive_.path().toLocal8Bit());
    }
    ~DriveCopy() { qputenv("QUILLSET_DRIVE_C", previous_); }
    QString picture(const QString& name) const { return pictures_ + "/" + name; }

private:
    QByteArray previous_;
    QTemporaryDir drive_;
    QString pictures_;
};

TEST(PrintSchedule, MissingOrDamagedPictureFilePrintsNothingAndSaysNothing) {
    struct Case {
        const char* name;
        const char* file;
        bool damage; // replace with garbage instead of removing
        std::size_t picturesDrawn;
    };
    for (const Case& c : {Case{"MissingImage1", "IMAGE1.WMF", false, 0},
                          Case{"MissingImage2", "IMAGE2.WMF", false, 1},
                          Case{"MissingImage3", "IMAGE3.WMF", false, 2},
                          Case{"DamagedImage2", "IMAGE2.WMF", true, 1}}) {
        SCOPED_TRACE(c.name);
        DriveCopy drive;
        ASSERT_TRUE(QFile::exists(drive.picture(c.file)));
        QFile::remove(drive.picture(c.file));
        if (c.damage) {
            QFile file(drive.picture(c.file));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(40, '\x7f'));
        }
        ScheduleJob job;
        job.pointer.setShape(PointerShape::Hourglass);
        EXPECT_FALSE(job.print().sent);
        EXPECT_EQ(job.drawn(Kind::Picture).size(), c.picturesDrawn);
        EXPECT_TRUE(job.drawn(Kind::EndDocument).empty());
        EXPECT_EQ(job.drawn(Kind::Abort).size(), 1u);
        EXPECT_TRUE(job.dialogs.messages().empty());
        EXPECT_EQ(job.pointer.shape(), PointerShape::Arrow);
        EXPECT_EQ(job.pictures.HighestDocImg(), 0);
        EXPECT_EQ(job.textForm.HighestTextArea(), 0);
    }
}

TEST(PrintSchedule, JobAfterAFailedOneStartsAfresh) {
    ScheduleJob job;
    {
        DriveCopy drive;
        QFile::remove(drive.picture("IMAGE3.WMF"));
        ASSERT_FALSE(job.print().sent);
    }
    ASSERT_TRUE(job.print().sent);
    EXPECT_EQ(job.drawn(Kind::Picture).size(), 7u);
    EXPECT_EQ(job.dialogs.messages().size(), 1u);
}

} // namespace
} // namespace quillset
