#include "print/PrintProgram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

TEST(PrintCommandLine, ParsesTheOptionsOnceAndHandsQtOnlyItsOwn) {
    struct Case {
        std::vector<std::string> arguments;
        bool printOnly;
        QString pdf, printer;
        std::string about;
        std::vector<std::string> toolkit;
        bool error;
    };
    const std::vector<Case> cases = {
        {{"quotation"}, false, "", "", "", {}, false},
        {{"quotation", "--print"}, true, "", "", "", {}, false},
        {{"quotation", "--print", "--pdf", "/tmp/a.pdf"}, true, "/tmp/a.pdf", "", "", {}, false},
        {{"quotation", "--printer", "Office", "--print"}, true, "", "Office", "", {}, false},
        {{"quotation", "--pdf"}, false, "", "", "", {}, true},
        {{"quotation", "--pdf", ""}, false, "", "", "", {}, true},
        {{"quotation", "--pdf", "a.pdf", "--printer", "Office"},
         false,
         "a.pdf",
         "Office",
         "",
         {},
         true},
        {{"quotation", "--colour"}, false, "", "", "", {}, true},
        {{"quotation", "letter.txt"}, false, "", "", "", {}, true},
        // A value is the option's even when it looks like another option.
        {{"quotation", "--pdf", "--help"}, false, "--help", "", "", {}, false},
        {{"quotation", "--print", "--version", "--colour"}, true, "", "", "--version", {}, false},
        {{"quotation", "-platform", "offscreen", "--print", "-reverse", "--pdf", "a.pdf"},
         true,
         "a.pdf",
         "",
         "",
         {"-platform", "offscreen", "-reverse"},
         false},
    };
    for (const Case& c : cases) {
        const Result<PrintCommandLine> parsed = ParsePrintCommandLine(c.arguments);
        std::string name;
        for (const std::string& argument : c.arguments)
            name += argument + ' ';
        EXPECT_EQ(!parsed, c.error) << name;
        if (c.error || !parsed)
            continue;
        EXPECT_EQ(parsed->printOnly, c.printOnly) << name;
        EXPECT_EQ(parsed->options.pdfPath, c.pdf) << name;
        EXPECT_EQ(parsed->options.printerName, c.printer) << name;
        EXPECT_EQ(parsed->about, c.about) << name;
        EXPECT_EQ(parsed->toolkitArguments, c.toolkit) << name;
    }
}

// The tests run with CUPS_SERVER pointing nowhere, so there is no default queue.
TEST(PrintDestination, CommandLineThenEnvironmentThenDocumentsFolder) {
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    const QDateTime when(QDate(2024, 3, 7), QTime(14, 5, 9));
    struct Case {
        const char* name;
        PrintOptions options;
        QByteArray environment;
        QString printer, pdf;
        bool announce;
    };
    const QString documentsPdf = home.path() + "/Documents/quotation-20240307-140509.pdf";
    const std::vector<Case> cases = {
        {"PrinterOption", {"Office", ""}, "Lobby", "Office", "", false},
        {"PdfOptionBeatsEnvironment", {"", "/tmp/x.pdf"}, "Lobby", "", "/tmp/x.pdf", false},
        {"Environment", {"", ""}, "Lobby", "Lobby", "", false},
        {"DocumentsFolder", {"", ""}, "", "", documentsPdf, true},
    };
    for (const Case& c : cases) {
        qputenv("QUILLSET_PRINTER", c.environment);
        const PrintDestination chosen = ChoosePrintDestination(c.options, "quotation", when);
        EXPECT_EQ(chosen.printerName, c.printer) << c.name;
        EXPECT_EQ(chosen.pdfPath, c.pdf) << c.name;
        EXPECT_EQ(chosen.chosenForUser, c.announce) << c.name;
    }
    qunsetenv("QUILLSET_PRINTER");
    EXPECT_TRUE(QDir(home.path() + "/Documents").exists()) << "made for the letter";

    // A second letter in the same second gets its own file.
    QFile first(documentsPdf);
    ASSERT_TRUE(first.open(QIODevice::WriteOnly));
    first.close();
    EXPECT_EQ(DefaultPdfPath("quotation", when),
              home.path() + "/Documents/quotation-20240307-140509-2.pdf");
    qputenv("HOME", savedHome);
}

} // namespace
} // namespace quillset::test
