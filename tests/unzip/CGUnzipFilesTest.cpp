// The options object: storage, the settings reaching the engine, errors raised.
#include "tests/support/CaseName.h"
#include "tests/support/EnvironmentOverride.h"
#include "tests/unzip/UnzipFixture.h"
#include "unzip/UnzipError.h"

#include <cstdlib>

namespace quillset::test {
namespace {

TEST_F(UnzipFixture, EmptyArgumentsUnpackTheStoredArchiveIntoTheStoredFolder) {
    const fs::path archive = archiveOf("tree");
    CGUnzipFiles files(module);
    files.SetZipFileName(scratch.text(archive));
    files.SetExtractDir(scratch.text(scratch.dest()));

    EXPECT_EQ(files.Unzip({}, {}), UZ_OK);

    EXPECT_EQ(ReadAll(scratch.dest() / "sub" / "inner.txt"), "inner\n");
    EXPECT_EQ(files.ZipFileName(), scratch.text(archive));
}

struct OverflowCase {
    const char* name;
    std::function<void(CGUnzipFiles&)> set;
};

class Overflow : public UnzipFixture, public ::testing::WithParamInterface<OverflowCase> {};

TEST_P(Overflow, NumbersBeyondSixteenBitsRaiseFromUnzip) {
    const fs::path archive = archiveOf("tree");
    try {
        unzip(archive, GetParam().set);
        FAIL() << "no overflow raised";
    } catch (const UnzipError& error) {
        EXPECT_EQ(error.number(), UnzipError::kOverflow);
        EXPECT_EQ(error.description(), QStringLiteral("Overflow"));
        EXPECT_EQ(error.source(), QStringLiteral("CGUnZipFiles::Unzip"));
    }
    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Settings, Overflow,
    ::testing::Values(OverflowCase{"MessageLevel40000", [](auto& f) { f.SetMessageLevel(40000); }},
                      OverflowCase{"ExtractListBelowRange",
                                   [](auto& f) { f.SetExtractList(-32769); }},
                      OverflowCase{"Privilege32768", [](auto& f) { f.SetPrivilege(32768); }}),
    CaseName());

TEST_F(UnzipFixture, LargestSixteenBitMessageLevelIsNoOverflow) {
    EXPECT_EQ(unzip(archiveOf("tree"), [](auto& f) { f.SetMessageLevel(32767); }), UZ_OK);
}

TEST_F(UnzipFixture, MissingEngineLibraryRaisesWithBothSources) {
    EnvironmentOverride missing("QUILLSET_UNZIP32", "/nonexistent/libunzip32.so");
    const fs::path archive = archiveOf("tree");
    try {
        module.CallUnzipEngine(scratch.text(archive), scratch.text(scratch.dest()), {});
        FAIL() << "no error raised";
    } catch (const UnzipError& error) {
        EXPECT_EQ(error.number(), UnzipError::kFileNotFound);
        EXPECT_TRUE(error.description().contains(QStringLiteral("libunzip32.so")));
        EXPECT_EQ(error.source(), QStringLiteral("CodeModule::CallUnzipEngine"));
    }
    try {
        unzip(archive);
        FAIL() << "no error raised";
    } catch (const UnzipError& error) {
        EXPECT_EQ(error.number(), UnzipError::kFileNotFound);
        EXPECT_EQ(error.source(), QStringLiteral("CGUnZipFiles::Unzip"));
    }
    EXPECT_TRUE(TreeBelow(scratch.dest()).empty());
}

TEST_F(UnzipFixture, LibraryWithoutTheEntryPointsRaises) {
    // Any shared library lacking the two entry points, e.g. the C library itself.
    EnvironmentOverride wrong("QUILLSET_UNZIP32", "libc.so.6");
    try {
        unzip(archiveOf("tree"));
        FAIL() << "no error raised";
    } catch (const UnzipError& error) {
        EXPECT_EQ(error.number(), UnzipError::kEntryPointNotFound);
        EXPECT_EQ(error.source(), QStringLiteral("CGUnZipFiles::Unzip"));
    }
}

TEST_F(UnzipFixture, WindowsStylePathsResolveOnTheDriveFolder) {
    const QByteArray savedDrive = qgetenv("QUILLSET_DRIVE_C");
    qputenv("QUILLSET_DRIVE_C", scratch.root().c_str());
    fs::create_directories(scratch.root() / "apps" / "editor");
    ASSERT_TRUE(MakeArchive("editor", scratch.root() / "apps" / "editor" / "editor.zip"));

    // The agent upper-cases its folder; the existing lower-case folders are found all the same.
    const std::int32_t result = CGUnzipFiles(module).Unzip(
        QStringLiteral("C:\\APPS\\EDITOR\\EDITOR.ZIP"), QStringLiteral("C:\\APPS\\EDITOR\\"));
    qputenv("QUILLSET_DRIVE_C", savedDrive);

    EXPECT_EQ(result, UZ_OK) << module.LastUnzipMessage().toStdString();
    EXPECT_EQ(ReadAll(scratch.root() / "apps" / "editor" / "EDITOR.EXE").size(), 123456u);
}

TEST_F(UnzipFixture, LastMessageIsSharedByAllObjectsAndResetPerUnpack) {
    const fs::path archive = archiveOf("tree");
    CGUnzipFiles first(module);
    CGUnzipFiles second(module);
    EXPECT_EQ(first.Unzip(scratch.text(archive), scratch.text(scratch.dest())), UZ_OK);
    const QString printed = second.GetLastMessage();
    EXPECT_TRUE(printed.contains(QStringLiteral("sub/inner.txt\r\n"))) << printed.toStdString();

    // A quiet unpack prints nothing, so the earlier text must not survive it.
    second.SetMessageLevel(0);
    EXPECT_EQ(second.Unzip(scratch.text(archive), scratch.text(scratch.dest())), UZ_OK);
    EXPECT_TRUE(first.GetLastMessage().isEmpty());
}

} // namespace
} // namespace quillset::test
