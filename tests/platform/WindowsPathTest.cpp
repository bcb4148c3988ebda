#include "platform/WindowsPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset {
namespace {

namespace fs = std::filesystem;

class WindowsPathTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(root.path()).mkpath("c/QSET_DEMOS/Quotation"));
        ASSERT_TRUE(QDir(root.path()).mkpath("d/Apps/Editor"));
        QFile file(root.path() + "/c/QSET_DEMOS/Quotation/globe.wmf");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        qputenv("QUILLSET_DRIVE_C", (root.path() + "/c").toUtf8());
        qputenv("QUILLSET_DRIVE_D", (root.path() + "/d").toUtf8());
    }
    void TearDown() override {
        qunsetenv("QUILLSET_DRIVE_D");
        qputenv("QUILLSET_DRIVE_C", savedDriveC);
    }
    std::string host(const char* relative) const {
        return (root.path() + "/" + relative).toStdString();
    }

    QByteArray savedDriveC = qgetenv("QUILLSET_DRIVE_C");
    QTemporaryDir root;
};

TEST_F(WindowsPathTest, ResolvesDrivesCaseAndSeparators) {
    struct Case {
        const char* name;
        QString windowsPath;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"ExactFile", "C:\\QSET_DEMOS\\QUOTATION\\GLOBE.WMF",
         host("c/QSET_DEMOS/Quotation/globe.wmf")},
        {"LowerCaseDriveAndSlashes", "c:/qset_demos/quotation/globe.wmf",
         host("c/QSET_DEMOS/Quotation/globe.wmf")},
        {"DoubledSeparators", "C:\\\\QSET_DEMOS\\\\Quotation\\GLOBE.wmf",
         host("c/QSET_DEMOS/Quotation/globe.wmf")},
        {"FolderKeepsTrailingSeparator", "C:\\QSET_DEMOS\\QUOTATION\\",
         host("c/QSET_DEMOS/Quotation/")},
        {"NewFileKeepsItsName", "C:\\QSET_DEMOS\\QUOTATION\\NEW.TXT",
         host("c/QSET_DEMOS/Quotation/NEW.TXT")},
        {"OtherDriveByEnvironment", "D:\\APPS\\EDITOR\\", host("d/Apps/Editor/")},
        {"NoDriveIsAHostPath", root.path() + "/D/APPS", host("d/Apps")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveWindowsPath(c.windowsPath).string(), c.expected) << c.name;
}

} // namespace
} // namespace quillset
