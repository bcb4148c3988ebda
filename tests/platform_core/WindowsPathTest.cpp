#include "platform/WindowsPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using quillset::ResolveWindowsPath;

namespace {

class WindowsPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("winpath-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "drive_c" / "QSet_Demos" / "Quotation");
        std::ofstream(root_ / "drive_c" / "QSet_Demos" / "Quotation" / "globe.wmf") << "x";
        fs::create_directories(root_ / "home" / "me" / "apps dir" / "editor");
        ::setenv("QUILLSET_DRIVE_C", (root_ / "drive_c").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("QUILLSET_DRIVE_C");
        fs::remove_all(root_);
    }
    QString host(const fs::path& p) const { return QString::fromStdString(p.string()); }

    fs::path root_;
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
        const quillset::PathResolution resolution = quillset::ResolveWindowsPathUniquely(c.text);
        EXPECT_EQ(!resolution.ambiguous.isEmpty(), c.ambiguous) << c.name;
        if (c.ambiguous) {
            EXPECT_EQ(resolution.ambiguous, me + "/App") << c.name;
        } else {
            EXPECT_EQ(resolution.path, c.expected) << c.name;
        }
    }
}

TEST_F(WindowsPathTest, DriveWithoutVariableLiesBesideTheProgram) {
    EXPECT_EQ(ResolveWindowsPath(R"(D:\X)"), quillset::ProgramFolder() / "drive_d" / "X");
}

// A drive without its variable is looked for beside the program (build tree), then in the
// installed data folder relative to the program. Drive Q is used only here, so the folders this
// test makes beside the test program meet no other test.
TEST(DriveFolderOrder, BesideTheProgramWinsOverTheInstalledFolderWhichWinsOverNothing) {
    const fs::path beside = quillset::ProgramFolder() / "drive_q";
    const fs::path installed =
        (quillset::ProgramFolder() / QUILLSET_INSTALLED_DATA_FROM_PROGRAM / "drive_q")
            .lexically_normal();
    fs::remove_all(beside);
    fs::remove_all(installed);
    ::unsetenv("QUILLSET_DRIVE_Q");

    EXPECT_EQ(quillset::DriveFolder('q'), beside) << "neither folder exists";
    fs::create_directories(installed);
    EXPECT_EQ(quillset::DriveFolder('Q'), installed) << "only the installed folder exists";
    fs::create_directories(beside);
    EXPECT_EQ(quillset::DriveFolder('q'), beside) << "both exist";
    ::setenv("QUILLSET_DRIVE_Q", "/elsewhere", 1);
    EXPECT_EQ(quillset::DriveFolder('q'), fs::path("/elsewhere")) << "the variable is set";

    ::unsetenv("QUILLSET_DRIVE_Q");
    fs::remove_all(beside);
    fs::remove_all(installed);
    // The data folders made above go too, unless something else lives there.
    std::error_code error;
    fs::remove(installed.parent_path(), error);
    fs::remove(installed.parent_path().parent_path(), error);
}

} // namespace
