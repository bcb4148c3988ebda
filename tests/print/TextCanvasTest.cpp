#include "print/TextCanvas.h"
#include "print/PrinterPage.h"
#include "tests/support/PdfWords.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(TextCanvas, MeasuresInTwipsWithScreenPixelFonts) {
    TextCanvas canvas(4320, 1440);
    EXPECT_EQ(canvas.Width(), 4320);
    EXPECT_EQ(canvas.Height(), 1440);
    canvas.SetFontName("Courier New");
    canvas.SetFontSize(8.25f);
    // 8.25 points are 11 pixels of 15 twips; Courier's advance is 0.6 em.
    EXPECT_NEAR(canvas.TextWidth("H"), 11 * 0.6001 * 15, 1.0);
    const float line = canvas.lineHeight();
    EXPECT_NEAR(std::fmod(line, 15.0f), 0.0f, 0.01) << "a whole number of pixels";
    canvas.SetCurrentX(300);
    canvas.SetCurrentY(150);
    canvas.PrintText("abc");
    EXPECT_FLOAT_EQ(canvas.CurrentX(), 0);
    EXPECT_FLOAT_EQ(canvas.CurrentY(), 150 + line);
}

// The canvas's image placed on the page keeps its text as text, at the canvas position plus the
// text's position on the canvas, and drawing after taking an image persists into the next.
TEST(TextCanvas, ImagePlacedOnThePageKeepsTextWhereItWasDrawn) {
    TextCanvas canvas(4320, 1440);
    canvas.SetFontName("Arial");
    canvas.SetFontSize(9.75f);
    canvas.SetCurrentX(300);
    canvas.SetCurrentY(150);
    canvas.PrintText("Matinee");
    const Picture first = canvas.image();
    canvas.SetCurrentX(1500);
    canvas.SetCurrentY(600);
    canvas.PrintText("Evening");
    const Picture second = canvas.image();
    EXPECT_TRUE(second.isVector());
    EXPECT_EQ(second.naturalSize(), QSize(288, 96));

    QTemporaryDir folder;
    const QString pdf = folder.filePath("canvas.pdf");
    PrinterPage page(MakePageSink({{}, pdf, false}, "MOVIE"), "MOVIE");
    page.SetWidth(12189);
    page.SetHeight(15874);
    page.DrawPicture(second, 1440, 2880, 4320, 1440);
    page.DrawPicture(first, 1440, 8000, 8640, 2880); // twice the size
    page.EndDocument();

    const PdfPage read = ReadPdfPage(pdf);
    struct Expected {
        const char* word;
        int occurrence;
        double x, y;
    };
    for (const Expected& e : {Expected{"Matinee", 0, (1440 + 300) / 20.0, (2880 + 150) / 20.0},
                              Expected{"Evening", 0, (1440 + 1500) / 20.0, (2880 + 600) / 20.0},
                              Expected{"Matinee", 1, (1440 + 600) / 20.0, (8000 + 300) / 20.0}}) {
        const PdfWord* word = read.find(e.word, e.occurrence);
        ASSERT_NE(word, nullptr) << e.word << e.occurrence;
        EXPECT_NEAR(word->xMin, e.x, 1.0) << e.word << e.occurrence;
        EXPECT_NEAR(word->yMin, e.y, 1.0) << e.word << e.occurrence;
    }
    EXPECT_EQ(read.find("Evening", 1), nullptr) << "the first image was taken before Evening";
}

} // namespace
} // namespace quillset::test
