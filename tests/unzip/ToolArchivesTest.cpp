// Archives made by the tools users and servers really use, unpacked through CGUnzipFiles.
#include "tests/support/CaseName.h"
#include "tests/unzip/UnzipFixture.h"

#include <sys/stat.h>

namespace quillset::test {
namespace {

constexpr long long kFileTime = 1577934246; // 2020-01-02 03:04:06 UTC, even for DOS times

struct ToolCase {
    const char* name;
    QString program;
    QStringList arguments; // "OUT" stands for the archive path
    QString password;      // the agent's ArchivePassword
    bool keepsMode;
};

void MakeSourceTree(const fs::path& source) {
    WriteFile(source / "readme.txt", "Read me\nplease\n");
    WriteFile(source / "bin" / "tool.sh", "#!/bin/sh\necho tool\n");
    fs::permissions(source / "bin" / "tool.sh", fs::perms(0755));
    std::string blob;
    for (int i = 0; i < 200000; ++i)
        blob += static_cast<char>((i * 7919) % 251);
    WriteFile(source / "data" / "blob.bin", blob);
    WriteFile(source / "data" / "empty.txt", "");
    for (const char* file : {"readme.txt", "bin/tool.sh", "data/blob.bin", "data/empty.txt"})
        SetModified(source / file, kFileTime);
}

class ToolArchives : public UnzipFixture, public ::testing::WithParamInterface<ToolCase> {};

TEST_P(ToolArchives, UnpackToTheSameFilesModesAndTimes) {
    const ToolCase& tool = GetParam();
    if (!HaveTool(tool.program))
        GTEST_SKIP() << tool.program.toStdString() << " is not installed";
    const fs::path source = scratch.root() / "source";
    MakeSourceTree(source);
    const fs::path archive = scratch.root() / "made.zip";
    QStringList arguments = tool.arguments;
    arguments.replaceInStrings(QStringLiteral("OUT"), scratch.text(archive));
    ASSERT_EQ(RunTool(tool.program, arguments, source), 0);
    password = tool.password;

    EXPECT_EQ(unzip(archive), UZ_OK) << module.LastUnzipMessage().toStdString();

    EXPECT_TRUE(dialogs.inputBoxes().empty());
    for (const char* file : {"readme.txt", "bin/tool.sh", "data/blob.bin", "data/empty.txt"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadAll(scratch.dest() / file), ReadAll(source / file));
        EXPECT_NEAR(Modified(scratch.dest() / file), kFileTime, 2);
    }
    if (tool.keepsMode) {
        struct stat status {};
        ASSERT_EQ(stat((scratch.dest() / "bin" / "tool.sh").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0755u);
    }
}

const QString kPython =
    QStringLiteral("import os, sys, zipfile\n"
                   "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                   "    for folder, _, files in os.walk('.'):\n"
                   "        for f in files: z.write(os.path.join(folder, f))\n");

INSTANTIATE_TEST_SUITE_P(
    Tools, ToolArchives,
    ::testing::Values(
        ToolCase{"InfoZipDeflate", "zip", {"-q", "-r", "OUT", "."}, "", true},
        ToolCase{"InfoZipStored", "zip", {"-q", "-r", "-0", "OUT", "."}, "", true},
        ToolCase{"InfoZipTraditionalEncryption",
                 "zip",
                 {"-q", "-r", "-P", "secret", "OUT", "."},
                 "secret",
                 true},
        ToolCase{"PythonZipfile", "python3", {"-c", kPython, "OUT"}, "", true},
        ToolCase{"BsdtarDotSlashNames", "bsdtar", {"--format", "zip", "-cf", "OUT", "."}, "", true},
        // Every method the engine decodes that a tool writes into a ZIP archive.
        ToolCase{"SevenZipBzip2", "7z", {"a", "-tzip", "-mm=BZip2", "OUT", "."}, "", false},
        ToolCase{"SevenZipLzma", "7z", {"a", "-tzip", "-mm=LZMA", "OUT", "."}, "", false},
        ToolCase{"SevenZipPpmd", "7z", {"a", "-tzip", "-mm=PPMd", "OUT", "."}, "", false},
        ToolCase{"SevenZipWinZipAes",
                 "7z",
                 {"a", "-tzip", "-mem=AES256", "-psecret", "OUT", "."},
                 "secret",
                 false}),
    CaseName());

} // namespace
} // namespace quillset::test
