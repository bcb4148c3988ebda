#include "tests/support/DesktopSession.h"
#include "tests/support/PdfWords.h"
#include "tests/support/ProgramRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

ProgramRun RunQuotation(const QStringList& arguments, const QString& driveC = {},
                        const QString& stateHome = {}) {
    std::vector<std::pair<QString, QString>> environment;
    if (!driveC.isEmpty())
        environment.emplace_back("QUILLSET_DRIVE_C", driveC);
    if (!stateHome.isEmpty())
        environment.emplace_back("XDG_STATE_HOME", stateHome);
    return RunProgram("quotation", arguments, environment);
}

bool IsEmptyFolder(const QString& path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(QuotationProgram, PrintsTheLetterToPdfWithTextsWhereTheLayoutPutsThem) {
    QTemporaryDir out;
    const QString pdf = out.filePath("letter.pdf");
    const ProgramRun run = RunQuotation({"--print", "--pdf", pdf});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "[QUOTATION] 1 page(s) sent to printer\n" + pdf + "\n")
        << "the file's full path on the message's second line";
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    // On a desktop too, not told to be unattended: no box waits for a click; the message goes
    // to standard output and the run ends by itself.
    const DesktopSession desktop(false);
    ASSERT_TRUE(desktop.ok()) << desktop.why;
    std::vector<std::pair<QString, QString>> onDesktop = desktop.environment();
    onDesktop.insert(onDesktop.end(), {{"QT_QPA_PLATFORM", ""}, {"QUILLSET_UNATTENDED", "0"}});
    const QString desktopPdf = out.filePath("desktop.pdf");
    const ProgramRun onScreen =
        RunProgram("quotation", {"--print", "--pdf", desktopPdf}, onDesktop);
    EXPECT_EQ(onScreen.exitCode, 0) << onScreen.err.toStdString();
    EXPECT_EQ(onScreen.out.toStdString(),
              ("[QUOTATION] 1 page(s) sent to printer\n" + desktopPdf + "\n").toStdString());

    const PdfPage page = ReadPdfPage(pdf);
    struct Expected {
        const char* word;
        double x, y; // points: twips / 20
    };
    for (const Expected& e :
         {Expected{"World", 113.25, 38.25}, Expected{"Dallas", 561.75, 75},
          Expected{"Dear", 29.25, 192.75}, Expected{"Robert", 29.25, 156.75},
          Expected{"$10.00", 28.5, 225.4}, Expected{"$15.00", 28.5, 234.475},
          Expected{"$45.00", 28.5, 243.55}, Expected{"Sincerely", 440.25, 612.75},
          Expected{"Susan", 440.25, 654.75}, Expected{"Page", -1, 752.25}}) {
        const PdfWord* word = page.find(e.word);
        ASSERT_NE(word, nullptr) << e.word;
        if (e.x >= 0) {
            EXPECT_NEAR(word->xMin, e.x, 0.3) << e.word;
        }
        EXPECT_NEAR(word->yMin, e.y, 0.3) << e.word;
    }
    EXPECT_LE(page.find("Inc.")->xMax, page.width) << "the company name fits the page";

    // The letterhead pictures come from metafiles and must stay vector: no bitmap in the PDF.
    QProcess pdfimages;
    pdfimages.start("pdfimages", {"-list", pdf});
    ASSERT_TRUE(pdfimages.waitForFinished(30000));
    const QStringList listing =
        QString::fromUtf8(pdfimages.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(listing.size(), 2) << "only the listing's two heading lines: "
                                 << listing.join('\n').toStdString();
}

TEST(QuotationProgram, FailuresExitNonZeroWithOneLoggedLineAndLeaveNoFile) {
    QTemporaryDir out;
    QTemporaryDir emptyDriveC;
    struct Case {
        const char* name;
        QStringList arguments;
        QString driveC;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"UnwritablePdfPath",
         {"--print", "--pdf", out.filePath("missing/letter.pdf")},
         {},
         "missing/letter.pdf"},
        {"NoSuchQueue", {"--print", "--printer", "NoSuchQueue"}, {}, "NoSuchQueue"},
        {"MissingPictures",
         {"--print", "--pdf", out.filePath("letter.pdf")},
         emptyDriveC.path(),
         "GLOBE.WMF"},
    };
    for (const Case& c : cases) {
        QTemporaryDir state;
        const ProgramRun run = RunQuotation(c.arguments, c.driveC, state.path());
        EXPECT_NE(run.exitCode, 0) << c.name;
        EXPECT_EQ(run.err.count('\n'), 1) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(" quotation letter print: ")) << c.name;
        EXPECT_TRUE(run.err.contains(c.reason)) << c.name << ": " << run.err.toStdString();
        QFile log(state.filePath("quillset/quotation.log"));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << c.name;
        EXPECT_EQ(QString::fromUtf8(log.readAll()), run.err) << c.name << ": the same line logged";
        EXPECT_FALSE(run.out.contains("sent to printer")) << c.name;
        EXPECT_TRUE(IsEmptyFolder(out.path())) << c.name;
    }
    const ProgramRun wrong = RunQuotation({"--print", "--colour"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(wrong.err.contains("--colour"));
}

} // namespace
} // namespace quillset::test
