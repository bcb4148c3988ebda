#include "print/PrinterPage.h"
#include "tests/support/PdfWords.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

std::unique_ptr<PageSink> PdfAt(const QString& path) {
    return MakePageSink({{}, path, false}, "QUOTATION");
}

void StartPage(PrinterPage& page) {
    page.SetWidth(12189);
    page.SetHeight(15874);
}

TEST(PrinterPage, TextLandsWithItsLineBoxTopLeftAtTheCurrentPosition) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("letter.pdf");
    {
        PrinterPage page(PdfAt(pdf), "QUOTATION");
        StartPage(page);
        page.SetFontName("Arial");
        page.SetFontSize(24);
        page.SetCurrentX(2265);
        page.SetCurrentY(765);
        page.PrintText("Headline");
        page.SetFontName("Courier New");
        page.SetFontSize(8.25f);
        page.SetCurrentX(585);
        page.SetCurrentY(3135);
        page.PrintText("Fixed");
        page.PrintText("Next");
        EXPECT_FALSE(QFileInfo::exists(pdf)) << "nothing at the path before the end";
        page.EndDocument();
    }
    const PdfPage read = ReadPdfPage(pdf);
    EXPECT_NEAR(read.width, 609, 1);
    EXPECT_NEAR(read.height, 794, 1);
    struct Expected {
        const char* word;
        double x, y;
    };
    const double courierLine = 186.9 / 20;
    for (const Expected& e : {Expected{"Headline", 113.25, 38.25}, Expected{"Fixed", 29.25, 156.75},
                              Expected{"Next", 0, 156.75 + courierLine}}) {
        const PdfWord* word = read.find(e.word);
        ASSERT_NE(word, nullptr) << e.word;
        EXPECT_NEAR(word->xMin, e.x, 0.3) << e.word;
        EXPECT_NEAR(word->yMin, e.y, 0.3) << e.word;
    }
}

TEST(PrinterPage, MeasuresInTwipsAndPrintTextEndsTheLine) {
    PrinterPage page(PdfAt(QDir::temp().filePath("never-written.pdf")), "QUOTATION");
    StartPage(page);
    page.SetFontName("Courier New");
    page.SetFontSize(8.25f);
    EXPECT_NEAR(page.TextWidth("H"), 99.0, 0.5);
    EXPECT_NEAR(page.TextWidth("HHHH"), 396.0, 1.0);
    EXPECT_NEAR(page.lineHeight(), 186.9, 1.0);
    page.SetFontName("Arial");
    page.SetFontSize(24);
    const float arialLine = page.lineHeight();
    EXPECT_GT(arialLine, 24 * 20) << "a line is taller than the nominal size";
    page.SetCurrentX(2265);
    page.SetCurrentY(765);
    page.PrintText("World Express Delivery Inc.");
    EXPECT_FLOAT_EQ(page.CurrentX(), 0);
    EXPECT_NEAR(page.CurrentY(), 765 + arialLine, 0.01);
    page.AbortDocument();
}

TEST(PrinterPage, AnAbortedOrAbandonedDocumentLeavesNoFileBehind) {
    for (bool abandon : {false, true}) {
        QTemporaryDir folder;
        {
            PrinterPage page(PdfAt(folder.filePath("letter.pdf")), "QUOTATION");
            StartPage(page);
            page.SetCurrentX(100);
            page.PrintText("half a letter");
            page.DrawLine(0, 0, 1000, 1000, 0);
            if (!abandon)
                page.AbortDocument();
        }
        EXPECT_TRUE(
            QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            << (abandon ? "abandoned" : "aborted");
    }
}

TEST(PrinterPage, UnreachableDestinationsFailWhenTheDocumentStarts) {
    QTemporaryDir folder;
    const std::vector<PrintDestination> destinations = {
        {{}, folder.filePath("no/such/folder/letter.pdf"), false},
        {{}, folder.path(), false}, // a folder, not a file
        {"NoSuchQueue", {}, false},
    };
    for (const PrintDestination& destination : destinations) {
        PrinterPage page(MakePageSink(destination, "QUOTATION"), "QUOTATION");
        StartPage(page);
        EXPECT_THROW(page.PrintText("x"), PrintFailure)
            << destination.pdfPath.toStdString() << destination.printerName.toStdString();
        page.AbortDocument();
    }
}

TEST(PrinterPage, AnEmptyDocumentStillPrintsItsBlankPage) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath("blank.pdf");
    PrinterPage page(PdfAt(pdf), "QUOTATION");
    StartPage(page);
    page.EndDocument();
    EXPECT_NEAR(ReadPdfPage(pdf).width, 609, 1);
    EXPECT_THROW(page.PrintText("after the end"), PrintFailure);
}

} // namespace
} // namespace quillset::test
