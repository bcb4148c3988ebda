#include "platform/WindowsPath.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace quillset::test {
namespace {

// Drives C and D named by their variables, folders spelt as the tests expect them.
class WindowsPathDrivesTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(root.path()).mkpath("c/QSET_DEMOS/Quotation"));
        ASSERT_TRUE(QDir(root.path()).mkpath("d/Apps/Editor"));
        QFile file(root.path() + "/c/QSET_DEMOS/Quotation/globe.wmf");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        driveC.emplace("QUILLSET_DRIVE_C", (root.path() + "/c").toUtf8());
        driveD.emplace("QUILLSET_DRIVE_D", (root.path() + "/d").toUtf8());
    }
    std::string host(const char* relative) const {
        return (root.path() + "/" + relative).toStdString();
    }

    QTemporaryDir root;
    std::optional<EnvironmentOverride> driveC, driveD;
};

TEST_F(WindowsPathDrivesTest, ResolvesDrivesCaseAndSeparators) {
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
        // Without a drive, a leading "\" stays at the root and anything else starts at the
        // working folder, which is `root` here.
        {"LeadingBackslashWithoutDriveFromTheRoot", "\\" + root.path().mid(1) + "\\D\\APPS",
         host("d/Apps")},
        {"RelativeFromTheWorkingFolder", "D\\APPS\\EDITOR\\", host("d/Apps/Editor/")},
        {"DotRelativeFromTheWorkingFolder", ".\\d\\APPS", host("./d/Apps")},
    };
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root.path()));
    for (const Case& c : cases)
        EXPECT_EQ(ResolveWindowsPath(c.windowsPath).string(), c.expected) << c.name;
    QDir::setCurrent(workingFolder);
}

// Drive C with folders spelt in mixed case, a home folder, and no variable for drive D.
class WindowsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path().toStdString();
        fs::create_directories(root_ / "drive_c" / "QSet_Demos" / "Quotation");
        WriteFile(root_ / "drive_c" / "QSet_Demos" / "Quotation" / "globe.wmf", "x");
        fs::create_directories(root_ / "home" / "me" / "apps dir" / "editor");
        driveC_.emplace("QUILLSET_DRIVE_C", QByteArray((root_ / "drive_c").c_str()));
    }
    QString host(const fs::path& p) const { return QString::fromStdString(p.string()); }

    QTemporaryDir dir_;
    fs::path root_;
    std::optional<EnvironmentOverride> driveC_;
};

TEST_F(WindowsPathTest, DriveCMapsToItsFolderAndMatchesEveryComponentIgnoringCase) {
    EXPECT_EQ(ResolveWindowsPath(R"(C:\QSET_DEMOS\QUOTATION\GLOBE.WMF)"),
              root_ / "drive_c" / "QSet_Demos" / "Quotation" / "globe.wmf");
    EXPECT_EQ(ResolveWindowsPath(R"(c:/qset_demos\QUOTATION/Globe.Wmf)"),
              root_ / "drive_c" / "QSet_Demos" / "Quotation" / "globe.wmf");
}

TEST_F(WindowsPathTest, UpperCasedHostFolderReachesTheRealFolder) {
    const QString upper = host(root_ / "home" / "me" / "apps dir" / "editor").toUpper() + "\\";
    EXPECT_EQ(ResolveWindowsPath(upper), root_ / "home" / "me" / "apps dir" / "editor" / "");
}

TEST_F(WindowsPathTest, NewNamesKeepTheirCaseUnderAnExistingFolder) {
    const QString text = host(root_).toUpper() + R"(\HOME\ME\APPS DIR\EDITOR\EDITOR.VER)";
    EXPECT_EQ(ResolveWindowsPath(text),
              root_ / "home" / "me" / "apps dir" / "editor" / "EDITOR.VER");
}

TEST_F(WindowsPathTest, TrailingSeparatorMarksAFolderAndDoubledSeparatorsCollapse) {
    const fs::path folder = ResolveWindowsPath(R"(C:\\QSET_DEMOS\\)");
    EXPECT_EQ(folder, root_ / "drive_c" / "QSet_Demos" / "");
    EXPECT_FALSE(folder.has_filename());
    EXPECT_EQ(ResolveWindowsPath("\\"), fs::path("/"));
}

TEST_F(WindowsPathTest, CaseOnlySiblingsResolveToTheSpellingGivenOrToNoGuess) {
    fs::create_directories(root_ / "home" / "me" / "app");
    fs::create_directories(root_ / "home" / "me" / "APP");
    const QString me = host(root_ / "home" / "me");
    struct Case {
        const char* name;
        QString text;
        fs::path expected;
        bool ambiguous;
    };
    const std::vector<Case> cases = {
        {"ExactLowerCase", me + "/app/", root_ / "home" / "me" / "app" / "", false},
        {"ExactUpperCase", me + "/APP/", root_ / "home" / "me" / "APP" / "", false},
        {"OneMatchIgnoringCase", me.toUpper().replace(host(root_).toUpper(), host(root_)),
         root_ / "home" / "me", false},
        {"TwoMatchesNoneExact", me + "/App/X.TXT", {}, true},
    };
    for (const Case& c : cases) {
        const PathResolution resolution = ResolveWindowsPathUniquely(c.text);
        EXPECT_EQ(!resolution.ambiguous.isEmpty(), c.ambiguous) << c.name;
        if (c.ambiguous) {
            EXPECT_EQ(resolution.ambiguous, me + "/App") << c.name;
        } else {
            EXPECT_EQ(resolution.path, c.expected) << c.name;
        }
    }
}

TEST_F(WindowsPathTest, DriveWithoutVariableLiesBesideTheProgram) {
    EXPECT_EQ(ResolveWindowsPath(R"(D:\X)"), ProgramFolder() / "drive_d" / "X");
}

// A drive without its variable is looked for beside the program (build tree), then in the
// installed data folder relative to the program. Drive Q is used only here, so the folders this
// test makes beside the test program meet no other test.
TEST(DriveFolderOrder, BesideTheProgramWinsOverTheInstalledFolderWhichWinsOverNothing) {
    const fs::path beside = ProgramFolder() / "drive_q";
    const fs::path installed =
        (ProgramFolder() / QUILLSET_INSTALLED_DATA_FROM_PROGRAM / "drive_q").lexically_normal();
    fs::remove_all(beside);
    fs::remove_all(installed);
    ::unsetenv("QUILLSET_DRIVE_Q");

    EXPECT_EQ(DriveFolder('q'), beside) << "neither folder exists";
    fs::create_directories(installed);
    EXPECT_EQ(DriveFolder('Q'), installed) << "only the installed folder exists";
    fs::create_directories(beside);
    EXPECT_EQ(DriveFolder('q'), beside) << "both exist";
    ::setenv("QUILLSET_DRIVE_Q", "/elsewhere", 1);
    EXPECT_EQ(DriveFolder('q'), fs::path("/elsewhere")) << "the variable is set";

    ::unsetenv("QUILLSET_DRIVE_Q");
    fs::remove_all(beside);
    fs::remove_all(installed);
    // The data folders made above go too, unless something else lives there.
    std::error_code error;
    fs::remove(installed.parent_path(), error);
    fs::remove(installed.parent_path().parent_path(), error);
}

} // namespace
} // namespace quillset::test
