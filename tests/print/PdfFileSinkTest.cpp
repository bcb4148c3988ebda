#include "print/PdfFileSink.h"
#include "print/PrintSurface.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace quillset::test {
namespace {

const QByteArray kOld = "an earlier letter";
const QByteArray kNew = "%PDF-1.4 the new letter %%EOF";

struct Case {
    const char* name;
    // Makes the folder's contents; answers the path the sink is given.
    std::function<QString(const QDir&)> prepare;
    bool chosenForUser;
    const char* deliveredTo; // relative to the folder
    // Files and what they must hold afterwards, relative to the folder.
    std::vector<std::pair<const char*, QByteArray>> files;
};

TEST(PdfFileSink, DeliversWhereTheDestinationSaysAndKeepsEarlierFiles) {
    const std::vector<Case> cases = {
        {"ChosenNameTakenSinceItWasChosen",
         [](const QDir& d) {
             EXPECT_TRUE(WriteFile(d.filePath("quotation-1.pdf"), kOld));
             return d.filePath("quotation-1.pdf");
         },
         true,
         "quotation-1-2.pdf",
         {{"quotation-1.pdf", kOld}, {"quotation-1-2.pdf", kNew}}},
        {"ChosenNameAndTheNextTaken",
         [](const QDir& d) {
             EXPECT_TRUE(WriteFile(d.filePath("q.pdf"), kOld));
             EXPECT_TRUE(WriteFile(d.filePath("q-2.pdf"), kOld));
             return d.filePath("q.pdf");
         },
         true,
         "q-3.pdf",
         {{"q.pdf", kOld}, {"q-2.pdf", kOld}, {"q-3.pdf", kNew}}},
        {"NamedFileIsReplaced",
         [](const QDir& d) {
             EXPECT_TRUE(WriteFile(d.filePath("q.pdf"), kOld));
             return d.filePath("q.pdf");
         },
         false,
         "q.pdf",
         {{"q.pdf", kNew}}},
        {"RelativeLinkIsReadFromItsOwnFolder",
         [](const QDir& d) {
             d.mkpath("sub");
             EXPECT_TRUE(WriteFile(d.filePath("sub/target.pdf"), kOld));
             QFile::link("target.pdf", d.filePath("sub/link.pdf"));
             return d.filePath("sub/link.pdf");
         },
         false,
         "sub/link.pdf",
         {{"sub/target.pdf", kNew}}},
    };
    for (const Case& c : cases) {
        QTemporaryDir folder;
        const QDir dir(folder.path());
        PdfFileSink sink(c.prepare(dir), c.chosenForUser);
        sink.open();
        sink.deliver(kNew);
        EXPECT_EQ(sink.deliveredTo(), dir.filePath(c.deliveredTo)) << c.name;
        for (const auto& [file, bytes] : c.files)
            EXPECT_EQ(ReadAll(dir.filePath(file)), bytes) << c.name << ": " << file;
        EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
                  QStringList())
            << c.name << ": temporaries left";
    }
}

TEST(PdfFileSink, AReplacedFileKeepsItsPermissions) {
    QTemporaryDir folder;
    const QString path = folder.filePath("q.pdf");
    EXPECT_TRUE(WriteFile(path, kOld));
    ::chmod(path.toLocal8Bit().constData(), 0640);
    PdfFileSink sink(path, false);
    sink.open();
    sink.deliver(kNew);
    struct stat info {};
    ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(PdfFileSink, ALoopOfLinksOrADiscardedPageLeavesEverythingAsItWas) {
    QTemporaryDir folder;
    const QDir dir(folder.path());
    QFile::link(dir.filePath("b.pdf"), dir.filePath("a.pdf"));
    QFile::link(dir.filePath("a.pdf"), dir.filePath("b.pdf"));
    PdfFileSink loop(dir.filePath("a.pdf"), false);
    EXPECT_THROW(loop.open(), PrintFailure);

    EXPECT_TRUE(WriteFile(dir.filePath("q.pdf"), kOld));
    {
        PdfFileSink discarded(dir.filePath("q.pdf"), false);
        discarded.open();
        discarded.discard();
    }
    EXPECT_EQ(ReadAll(dir.filePath("q.pdf")), kOld);
    EXPECT_EQ(
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(),
        3)
        << "the two links and the old letter, no temporary";
    EXPECT_TRUE(QFileInfo(dir.filePath("a.pdf")).isSymLink());
}

} // namespace
} // namespace quillset::test
