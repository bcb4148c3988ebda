#include "movie/PrintSchedule.h"
#include "movie/TextForm.h"
#include "platform/DateText.h"
#include "print/PicturesFrm.h"
#include "print/RecordingSurface.h"
#include "print/TextPrintingModule.h"
#include "tests/support/DemoFiles.h"
#include "tests/support/FrameServices.h"
#include "tests/support/PdfWords.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <span>

namespace quillset::test {
namespace {

using Kind = RecordingSurface::Kind;
using Operation = RecordingSurface::Operation;

// A text canvas that records; the test keeps it beyond the job that destroys the slot.
class RecordingTextArea : public TextAreaCanvas {
public:
    explicit RecordingTextArea(std::shared_ptr<RecordingSurface> surface)
        : surface_(std::move(surface)) {}
    PrintSurface& surface() override { return *surface_; }
    // Its images are empty: nothing to fill.
    void setBackColor(OleColor) override {}
    Picture image() override {
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
    FrameServices f{kMovieTitle, QStringLiteral("movie"), QStringLiteral("schedule")};
    std::vector<std::shared_ptr<RecordingSurface>> canvases;
    TextForm textForm{[this] {
        canvases.push_back(std::make_shared<RecordingSurface>());
        return std::make_unique<RecordingTextArea>(canvases.back());
    }};
    std::vector<Operation> page;

    PrintJobResult print(const ScheduleContents& contents = Contents()) {
        canvases.clear();
        const PrintJobResult result = PrintSchedule(f.services, textForm, contents);
        page = f.pages.empty() ? std::vector<Operation>{} : f.lastPage().operations();
        return result;
    }
    std::vector<Operation> drawn(Kind kind) const {
        std::vector<Operation> result;
        std::copy_if(page.begin(), page.end(), std::back_inserter(result),
                     [&](const Operation& op) { return op.kind == kind; });
        return result;
    }
};

// Where the page puts things is read back from the PDF the real page writes and compared with
// the schedule's design in twips: texts within the rounding of the PDF's numbers, the
// descriptions within a pixel of their canvases (15 twips), pictures and lines from the page
// drawn without its text.
constexpr double kTextTolerance = 5;
constexpr double kCanvasTolerance = 15;

// A description canvas as the design places it on the page, with its font size.
struct CanvasPlace {
    QRectF rectangle;
    float fontSize;
};
const CanvasPlace kCanvases[] = {{{2242, 3218, 2370, 5894}, 8.25f},
                                 {{4988, 9622, 6180, 3150}, 9.75f}};

// The schedule printed by the real page, with the program's own vector canvases, into a PDF.
struct PrintedSchedule {
    QTemporaryDir folder;
    QString pdf = folder.filePath("schedule.pdf");
    FrameServices f{kMovieTitle, QStringLiteral("movie"), QStringLiteral("schedule")};
    TextForm textForm;

    PrintedSchedule() { f.printIntoPdf(pdf); }
    PrintJobResult print(const ScheduleContents& contents = Contents()) {
        return PrintSchedule(f.services, textForm, contents);
    }
};

// Black, in the printed face and size.
void ExpectSetIn(const PdfText& run, const char* face, double size) {
    EXPECT_EQ(run.color, QColor(Qt::black)) << "the window-text colour prints black";
    EXPECT_EQ(run.family, PrintedFamily(face));
    EXPECT_NEAR(PrintedFontSize(run), size, 0.1);
}

void ExpectTextAt(const PdfText& run, double x, double y, const char* face, double size,
                  double tolerance = kTextTolerance) {
    EXPECT_NEAR(run.left * kTwipsPerPoint, x, tolerance);
    EXPECT_NEAR(run.top * kTwipsPerPoint, y, tolerance);
    ExpectSetIn(run, face, size);
}

// The runs of text whose top-left corner lies on a canvas, top to bottom.
std::vector<PdfText> RunsOn(const PdfTexts& page, const QRectF& canvas) {
    std::vector<PdfText> runs;
    for (const PdfText& run : page.runs) {
        const QPointF corner(run.left * kTwipsPerPoint, run.top * kTwipsPerPoint);
        if (canvas.adjusted(-kCanvasTolerance, -kCanvasTolerance, 0, 0).contains(corner))
            runs.push_back(run);
    }
    return runs;
}

QString WithoutBlanks(QString text) {
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

TEST(PrintSchedule, TextsStandWhereTheScheduleDesignPutsThem) {
    PrintedSchedule job;
    ASSERT_TRUE(job.print().sent);
    const PdfTexts page = ReadPdfTexts(job.pdf);
    ASSERT_EQ(page.pages, 1);
    struct Placed {
        QString text;
        double x, y;
        const char* face;
        float size;
    };
    const ScheduleContents contents = Contents();
    for (const Placed& e : {
             Placed{"Schedule:", 2302, 12322, "Arial", 15},
             Placed{"Rated", 6758, 14092, "Arial", 15},
             Placed{contents.title, 2265, 2595, "Arial", 21},
             Placed{contents.rated, 7778, 13718, "MS Sans Serif", 48.75f},
             Placed{contents.day, 1988, 998, "MS Sans Serif", 36},
             Placed{contents.showTimes.at(0), 2272, 12712, "MS Sans Serif", 8.25f},
             Placed{contents.showTimes.at(1), 2272, 12893.5, "MS Sans Serif", 8.25f},
             Placed{contents.showTimes.at(2), 2272, 13075, "MS Sans Serif", 8.25f},
             Placed{GeneralDateText(job.f.clock.now()) + " - Page 1 ", 567, 14500, "MS Sans Serif",
                    10},
         }) {
        SCOPED_TRACE(e.text.toStdString());
        const PdfText* run = page.find(e.text);
        ASSERT_NE(run, nullptr);
        ExpectTextAt(*run, e.x, e.y, e.face, e.size);
    }
    // The form's two pictures are bitmaps; the decorative metafiles and the canvases stay
    // vector drawing.
    EXPECT_EQ(PdfBitmapSizes(job.pdf), std::vector<QSize>({{198, 189}, {224, 226}}));
}

// Each picture is a block of its own colour here, so the page shows exactly the rectangle each
// is scaled into; the text is left out of the drawing.
TEST(PrintSchedule, PicturesStandAtTheirRectanglesOnThePage) {
    const std::vector<ColourBlock> pictures = {
        {"IMAGE1.WMF", Qt::red, {615, 585, 1215, 14730}},
        {"IMAGE2.WMF", Qt::green, {1912, 1972, 9450, 286}},
        {"IMAGE3.WMF", Qt::blue, {9908, 652, 1417, 1237}},
        {"Picture1", Qt::magenta, {4958, 3202, 6240, 5820}},
        {"Picture2", Qt::yellow, {2272, 9622, 2626, 2144}},
    };
    DemoDriveCopy drive("FORMATED TEXT");
    for (const ColourBlock& block : std::span(pictures).first(3))
        ASSERT_TRUE(drive.replace(block.picture, SolidMetafile(block)));
    ScheduleContents contents = Contents();
    for (auto [picture, block] : {std::pair{&contents.picture1, &pictures[3]},
                                  std::pair{&contents.picture2, &pictures[4]}}) {
        QImage solid(198, 189, QImage::Format_RGB32);
        solid.fill(block->colour);
        *picture = Picture(solid);
    }
    PrintedSchedule job;
    ASSERT_TRUE(job.print(contents).sent);
    ExpectBlocksOnPage(job.pdf, pictures);
}

// What the page cannot show: the order of the drawing, the typeface names asked for, the colour
// codes and which pictures were handed over as vector drawing.
TEST(PrintSchedule, DrawsPicturesHeadingsCanvasesAndFooterInTheDesignsOrder) {
    ScheduleJob job;
    ASSERT_TRUE(job.print().sent);
    const QString arial = "Arial", sans = "MS Sans Serif";
    struct Drawn {
        Kind kind;
        QString text = {};
        QString font = {};
        float size = 0;
    };
    const QString footer = GeneralDateText(job.f.clock.now()) + " - Page 1 ";
    const std::vector<Drawn> expected = {
        {Kind::Picture},
        {Kind::Picture},
        {Kind::Picture},
        {Kind::Picture},
        {Kind::Picture},
        {Kind::Text, "Schedule:", arial, 15},
        {Kind::Text, "Rated", arial, 15},
        {Kind::Text, "The Keeper of the Northern Light", arial, 21},
        {Kind::Text, "PG13", sans, 48.75f},
        {Kind::Text, "Sunday Movie", sans, 36},
        {Kind::Text, "16:00", sans, 8.25f},
        {Kind::Text, "18:00", sans, 8.25f},
        {Kind::Text, "20:00", sans, 8.25f},
        {Kind::Picture},
        {Kind::Picture},
        {Kind::Text, footer, sans, 10},
        {Kind::EndDocument},
    };
    std::vector<Operation> placed;
    for (const Operation& op : job.page) {
        if (op.kind == Kind::Text || op.kind == Kind::Picture || op.kind == Kind::EndDocument)
            placed.push_back(op);
    }
    ASSERT_EQ(placed.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Drawn& e = expected[i];
        const Operation& op = placed[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(op.kind, e.kind);
        if (e.kind == Kind::Text) {
            EXPECT_EQ(op.text, e.text);
            EXPECT_EQ(op.fontName, e.font);
            EXPECT_FLOAT_EQ(op.fontSize, e.size);
            EXPECT_EQ(op.color, kWindowTextColor);
        }
    }
    const std::vector<bool> vector = {true, true, true, false, false, true, true};
    const auto pictures = job.drawn(Kind::Picture);
    for (std::size_t i = 0; i < pictures.size(); ++i)
        EXPECT_EQ(pictures[i].vectorPicture, vector[i]) << "picture " << i + 1;
    // The descriptions' font sizes: the page's text heights are too coarse to tell 8.25 from 8.
    ASSERT_EQ(job.canvases.size(), 2u);
    const float canvasSizes[] = {8.25f, 9.75f};
    for (std::size_t k = 0; k < 2; ++k) {
        for (const Operation& op : job.canvases[k]->texts())
            EXPECT_FLOAT_EQ(op.fontSize, canvasSizes[k]) << "canvas " << k + 1;
    }
}

// Under a dark desktop theme too, each canvas prints black text on white: the page drawn
// without its text shows nothing of the theme's dark window colour.
TEST(PrintSchedule, EachDescriptionFillsItsCanvasOnThePage) {
    for (const Theme theme : {Theme::Application, Theme::Dark}) {
        SCOPED_TRACE(ThemeName(theme));
        const ThemeScope themed(theme);
        PrintedSchedule job;
        const ScheduleContents contents = Contents();
        ASSERT_TRUE(job.print(contents).sent);
        const PdfTexts page = ReadPdfTexts(job.pdf);
        const QImage drawing = ExpectBlocksOnPage(job.pdf, {});
        ASSERT_FALSE(drawing.isNull());
        const QString descriptions[] = {contents.description1, contents.description2};
        for (int k = 0; k < 2; ++k) {
            SCOPED_TRACE(k + 1);
            const CanvasPlace& canvas = kCanvases[k];
            const double pixelsPerTwip = kDrawingDpi / 1440.0;
            const QImage ground = drawing.copy(QRectF(canvas.rectangle.topLeft() * pixelsPerTwip,
                                                      canvas.rectangle.size() * pixelsPerTwip)
                                                   .toRect());
            EXPECT_TRUE(ColourBounds(ground, kDrawingDpi, ThemeScope::darkWindow(), 8).isEmpty());
            const std::vector<PdfText> lines = RunsOn(page, canvas.rectangle);
            ASSERT_FALSE(lines.empty());
            // The first line lies 25 below the canvas's top.
            ExpectTextAt(lines.front(), canvas.rectangle.left(), canvas.rectangle.top() + 25,
                         "Courier New", canvas.fontSize, kCanvasTolerance);
            QString drawn;
            double right = 0;
            for (const PdfText& line : lines) {
                EXPECT_NEAR(line.left * kTwipsPerPoint, canvas.rectangle.left(), kCanvasTolerance);
                ExpectSetIn(line, "Courier New", canvas.fontSize);
                right = std::max(right, (line.left + line.width) * kTwipsPerPoint);
                drawn += line.text;
            }
            EXPECT_EQ(WithoutBlanks(drawn), WithoutBlanks(PrepareParagraphText(descriptions[k])));
            // Justified lines reach the canvas's right edge, short of one character cell at most.
            EXPECT_LE(right, canvas.rectangle.right() + kCanvasTolerance);
            EXPECT_GE(right, canvas.rectangle.right() - 130);
        }
    }
}

// A canvas of the form is filled with the window colour beneath its text, which prints white
// whatever the theme: placed over a coloured ground, none of the ground shows through.
TEST(PrintSchedule, CanvasesPrintOnTheWindowColour) {
    const ThemeScope themed(Theme::Dark);
    TextForm textForm;
    textForm.load();
    TextAreaCanvas& area = textForm.createTextArea(1);
    area.surface().SetWidth(1500);
    area.surface().SetHeight(600);
    area.surface().SetFontName("Courier New");
    area.surface().SetFontSize(8.25f);
    area.surface().PrintText("Matinee");
    QImage ground(100, 40, QImage::Format_RGB32);
    ground.fill(Qt::red);
    QPainter painter(&ground);
    area.image().drawInto(painter, QRectF(0, 0, 100, 40));
    painter.end();
    EXPECT_TRUE(ColourBounds(ground, 96, Qt::red).isEmpty()) << "the ground shows through";
    EXPECT_FALSE(ColourBounds(ground, 96, Qt::white).isEmpty());
    EXPECT_FALSE(ColourBounds(ground, 96, Qt::black).isEmpty()) << "the text";
    textForm.destroyAllAndUnload();
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

    // On the page: the last line of the column starts inside its canvas, and the page below it
    // is untouched.
    PrintedSchedule printed;
    ASSERT_TRUE(printed.print(contents).sent);
    const PdfTexts page = ReadPdfTexts(printed.pdf);
    const std::vector<PdfText> lines = RunsOn(page, kCanvases[0].rectangle);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.back().top * kTwipsPerPoint, kCanvases[0].rectangle.bottom());
    const PdfText* footer = page.find(GeneralDateText(printed.f.clock.now()) + " - Page 1 ");
    ASSERT_NE(footer, nullptr);
    ExpectTextAt(*footer, 567, 14500, "MS Sans Serif", 10);
    const PdfText* schedule = page.find("Schedule:");
    ASSERT_NE(schedule, nullptr);
    ExpectTextAt(*schedule, 2302, 12322, "Arial", 15);
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
    ASSERT_EQ(job.f.dialogs.messages().size(), 2u);
    for (const MessageBoxRequest& message : job.f.dialogs.messages()) {
        EXPECT_EQ(message.text, "1 page(s) sent to printer");
        EXPECT_EQ(message.title, "MOVIE");
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(job.f.pointer.shape(), PointerShape::Arrow);
    EXPECT_EQ(job.f.pictures.highestDocImg(), 0);
    EXPECT_FALSE(job.f.pictures.isLoaded());
    EXPECT_EQ(job.textForm.highestTextArea(), 0);
    EXPECT_FALSE(job.textForm.isLoaded());
}

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
        DemoDriveCopy drive("FORMATED TEXT");
        ASSERT_TRUE(QFile::exists(drive.picture(c.file)));
        ASSERT_TRUE(drive.remove(c.file));
        if (c.damage) {
            QFile file(drive.picture(c.file));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(40, '\x7f'));
        }
        ScheduleJob job;
        job.f.pointer.setShape(PointerShape::Hourglass);
        EXPECT_FALSE(job.print().sent);
        EXPECT_EQ(job.drawn(Kind::Picture).size(), c.picturesDrawn);
        EXPECT_TRUE(job.drawn(Kind::EndDocument).empty());
        EXPECT_EQ(job.drawn(Kind::Abort).size(), 1u);
        EXPECT_TRUE(job.f.dialogs.messages().empty());
        EXPECT_EQ(job.f.pointer.shape(), PointerShape::Arrow);
        EXPECT_EQ(job.f.pictures.highestDocImg(), 0);
        EXPECT_EQ(job.textForm.highestTextArea(), 0);
    }
}

TEST(PrintSchedule, JobAfterAFailedOneStartsAfresh) {
    ScheduleJob job;
    {
        DemoDriveCopy drive("FORMATED TEXT");
        ASSERT_TRUE(drive.remove("IMAGE3.WMF"));
        ASSERT_FALSE(job.print().sent);
    }
    ASSERT_TRUE(job.print().sent);
    EXPECT_EQ(job.drawn(Kind::Picture).size(), 7u);
    EXPECT_EQ(job.f.dialogs.messages().size(), 1u);
}

} // namespace
} // namespace quillset::test
