// The movie program end to end: `movie --print --pdf FILE` writes the schedule page, and the
// PDF's words stand where the layout puts them (1 point is 20 twips).
#include "movie/ScheduleContents.h"
#include "tests/support/PdfWords.h"
#include "tests/support/ProgramRun.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

ProgramRun RunMovie(const QStringList& arguments, const QString& driveC) {
    return RunProgram("movie", arguments, {{"QUILLSET_DRIVE_C", driveC}});
}

// The words whose top-left corner lies in a rectangle given in twips, in reading order.
QString WordsWithin(const PdfPage& page, double left, double top, double width, double height) {
    QStringList found;
    for (const PdfWord& word : page.words) {
        if (word.xMin >= left / 20 - 1 && word.xMin <= (left + width) / 20 &&
            word.yMin >= top / 20 - 1 && word.yMin <= (top + height) / 20)
            found << word.text;
    }
    return found.join(u' ');
}

// Qt may add warnings of its own to standard error; the program's line is one of its lines.
bool HasLineStartingWith(const QString& text, const QString& start) {
    const QStringList lines = text.split(u'\n');
    return std::any_of(lines.begin(), lines.end(),
                       [&](const QString& line) { return line.startsWith(start); });
}

QString Simplified(const QString& text) {
    return text.simplified();
}

TEST(MovieProgram, PrintsTheDefaultScheduleToPdf) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("schedule.pdf");
    const ProgramRun run =
        RunMovie({"--print", "--pdf", pdf}, qEnvironmentVariable("QUILLSET_DRIVE_C"));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "[MOVIE] 1 page(s) sent to printer\n" + pdf + "\n");

    const PdfPage page = ReadPdfPage(pdf);
    EXPECT_NEAR(page.width, 12189 / 20.0, 1);
    EXPECT_NEAR(page.height, 15874 / 20.0, 1);

    // First words of the texts at their places, in twips; a description's first line lies 25
    // below its canvas's top.
    struct Placed {
        const char* word;
        double x, y;
    };
    for (const Placed& p :
         {Placed{"Sunday", 1988, 998}, Placed{"The", 2265, 2595}, Placed{"Schedule:", 2302, 12322},
          Placed{"16:00", 2272, 12712}, Placed{"18:00", 2272, 12893.5},
          Placed{"20:00", 2272, 13075}, Placed{"Rated", 6758, 14092}, Placed{"PG13", 7778, 13718},
          Placed{"A", 2242, 3218 + 25}, Placed{"Filmed", 4988, 9622 + 25}}) {
        const auto found =
            std::find_if(page.words.begin(), page.words.end(), [&](const PdfWord& w) {
                return w.text == QLatin1String(p.word) && std::abs(w.xMin - p.x / 20) < 1 &&
                       std::abs(w.yMin - p.y / 20) < 1;
            });
        EXPECT_NE(found, page.words.end()) << p.word << " at " << p.x << "," << p.y;
    }
    EXPECT_TRUE(WordsWithin(page, 567, 14500, 3000, 300).endsWith("- Page 1"));

    // Each description is real text, whole and in order, inside its canvas's rectangle.
    const ScheduleContents samples = SampleScheduleTexts();
    EXPECT_EQ(WordsWithin(page, 2242, 3218, 2370, 5894), Simplified(samples.description1));
    EXPECT_EQ(WordsWithin(page, 4988, 9622, 6180, 3150), Simplified(samples.description2));
}

TEST(MovieProgram, WithoutThePictureFilesPrintsNoPageAndShowsNoMessage) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("schedule.pdf");
    const ProgramRun run = RunMovie({"--print", "--pdf", pdf}, folder.filePath("empty-drive"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(run.out.contains("page(s) sent to printer")) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(" movie schedule print: cannot load ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("IMAGE1.WMF")) << run.err.toStdString();
}

TEST(MovieProgram, RefusesAWrongCommandLine) {
    for (const QStringList& arguments :
         {QStringList{"--print", "--bogus"}, QStringList{"--print", "-bogus"},
          QStringList{"--print", "-platform", "offscreen", "stray"},
          QStringList{"--print", "--pdf"},
          QStringList{"--print", "--pdf", "a.pdf", "--printer", "Office"}}) {
        const ProgramRun run = RunMovie(arguments, qEnvironmentVariable("QUILLSET_DRIVE_C"));
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(HasLineStartingWith(run.err, "movie: ")) << run.err.toStdString();
    }
}

} // namespace
} // namespace quillset::test
