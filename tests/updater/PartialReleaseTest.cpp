// A release fetched in part: the archive's directory read from its tail, the changed entries
// chosen against an installed module, and their pieces put together into an archive that real
// tools read; directories a server may lie in.
#include "posix/Beneath.h"
#include "tests/support/CaseName.h"
#include "tests/support/Files.h"
#include "tests/support/ModuleFixtures.h"
#include "tests/support/RunTool.h"
#include "updater/ChangedEntries.h"
#include "zipdir/ZipBytes.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace quillset::test {
namespace {

using zip::AppendLittle;

// An archive made by a real tool from `tree`, run in that folder with the archive's path last.
struct ToolRow {
    const char* name;
    QString program;
    QStringList arguments;
    std::size_t stub = 0; // bytes of a self-extracting stub put before the archive, unadjusted
};

class PartialRelease : public ::testing::TestWithParam<ToolRow> {
protected:
    QTemporaryDir scratch;
    fs::path root{scratch.path().toStdString()};
};

// What the whole flow does with the bytes a server would send: tail, directory, pieces, rebuilt
// directory.
std::string PartialArchive(const std::string& archive, int module,
                           std::vector<std::string>& chosen) {
    const std::string tail =
        archive.substr(archive.size() - std::min<std::size_t>(archive.size(), 1 << 17));
    const auto place = zip::ReadDirectoryPlace(tail, archive.size());
    EXPECT_TRUE(place) << place.reason();
    const std::string directory = archive.substr(place->start, place->size);
    const auto entries = zip::ReadDirectory(directory, *place);
    EXPECT_TRUE(entries) << entries.reason();
    const auto selection =
        SelectChangedEntries(*entries, *place, module, "EDITOR.EXE", &SameSizeAndCrc);
    EXPECT_TRUE(selection) << selection.reason();
    std::string partial;
    for (const ByteRange& piece : selection->pieces)
        partial += archive.substr(piece.first, piece.last - piece.first + 1);
    for (const zip::DirectoryEntry* entry : selection->entries)
        chosen.push_back(*ModulePathOf(*entry));
    const auto rebuilt =
        zip::RebuiltDirectory(directory, PlacesInPieces(*selection), partial.size());
    EXPECT_TRUE(rebuilt) << rebuilt.reason();
    return partial + *rebuilt;
}

TEST_P(PartialRelease, TakesOnlyTheChangedEntriesInAnArchiveToolsRead) {
    const ToolRow& row = GetParam();
    if (!HaveTool(row.program))
        GTEST_SKIP() << row.program.toStdString() << " is not installed";
    const fs::path release = root / "release";
    const fs::path module = root / "module";
    // Incompressible, so that the unchanged entries between the changed ones are not fetched.
    for (int i = 0; i < 40; ++i)
        WriteFile(release / "DATA" / ("F" + std::to_string(i) + ".DAT"),
                  IncompressibleBytes(20'000 + i, i));
    WriteFile(release / "EDITOR.EXE", "the program");
    fs::copy(release, module, fs::copy_options::recursive);
    WriteFile(release / "DATA" / "F7.DAT", IncompressibleBytes(20'007, 99)); // same size
    WriteFile(release / "NEW.TXT", "only in the release");
    WriteFile(module / "DATA" / "F9.DAT", "shorter");
    const fs::path made = root / "made.zip";
    ASSERT_EQ(RunTool(row.program, row.arguments + QStringList{PathText(made), "."}, release), 0);
    const std::string archive = std::string(row.stub, 'S') + ReadAll(made);

    std::vector<std::string> chosen;
    const Fd folder = OpenFolder(module.string());
    WriteFile(root / "partial.zip", PartialArchive(archive, folder.get(), chosen));
    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(chosen, (std::vector<std::string>{"DATA", "DATA/F7.DAT", "DATA/F9.DAT", "EDITOR.EXE",
                                                "NEW.TXT"}));
    const fs::path out = root / "out";
    fs::create_directories(out);
    ASSERT_EQ(
        RunTool("bsdtar", {"-x", "--passphrase", "pw", "-f", PathText(root / "partial.zip")}, out),
        0);
    EXPECT_EQ(TreeBelow(out), (std::vector<std::string>{"DATA", "DATA/F7.DAT", "DATA/F9.DAT",
                                                        "EDITOR.EXE", "NEW.TXT"}));
    for (const char* name : {"DATA/F7.DAT", "DATA/F9.DAT", "NEW.TXT"})
        EXPECT_EQ(ReadAll(out / name), ReadAll(release / name)) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Tools, PartialRelease,
    ::testing::Values(ToolRow{"Zip", "zip", {"-r", "-q", "-X"}},
                      ToolRow{"ZipWithPassword", "zip", {"-r", "-q", "-P", "pw"}},
                      ToolRow{"ZipForcedZip64", "zip", {"-r", "-q", "-fz"}},
                      ToolRow{"ZipAfterAStub", "zip", {"-r", "-q"}, 1000},
                      ToolRow{"Bsdtar", "bsdtar", {"--format", "zip", "-c", "-f"}},
                      // Every size and offset in the records' ZIP64 extra fields.
                      ToolRow{"PythonWithZip64Extras",
                              "python3",
                              {"-c", "import os, sys, zipfile\n"
                                     "zipfile.ZIP64_LIMIT = 0\n"
                                     "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
                                     "  for d, ds, fs in os.walk(sys.argv[2]):\n"
                                     "    for x in ds + fs:\n"
                                     "      p = os.path.join(d, x)\n"
                                     "      z.write(p, os.path.relpath(p, sys.argv[2]))\n"}}),
    CaseName());

// A directory record for `name` at `offset`, of a stored entry of `size` bytes.
std::string Record(const std::string& name, std::uint64_t offset, std::uint64_t size,
                   std::uint16_t flags = 0) {
    std::string record = "PK\x01\x02";
    for (const auto& [value, bytes] :
         std::initializer_list<std::pair<std::uint64_t, int>>{{0x031E, 2},
                                                              {20, 2},
                                                              {flags, 2},
                                                              {0, 2},
                                                              {0, 4},
                                                              {0, 4},
                                                              {size, 4},
                                                              {size, 4},
                                                              {name.size(), 2},
                                                              {0, 2},
                                                              {0, 2},
                                                              {0, 2},
                                                              {0, 2},
                                                              {0100644u << 16, 4},
                                                              {offset, 4}})
        AppendLittle(record, value, bytes);
    return record + name;
}

std::string EndRecord(std::uint64_t count, std::uint64_t size, std::uint64_t offset,
                      std::uint16_t disk = 0) {
    std::string end = "PK\x05\x06";
    for (const auto& [value, bytes] : std::initializer_list<std::pair<std::uint64_t, int>>{
             {disk, 2}, {0, 2}, {count, 2}, {count, 2}, {size, 4}, {offset, 4}, {0, 2}})
        AppendLittle(end, value, bytes);
    return end;
}

struct DirectoryRow {
    const char* name;
    std::string records;
    std::uint64_t count;
    std::uint16_t disk;
    const char* refused;           // in the reason; nothing for a directory read whole
    const char* stopped = nullptr; // in SelectChangedEntries's reason
};

class LyingDirectory : public ::testing::TestWithParam<DirectoryRow> {};

// 10,000 bytes of entry data, then the directory and its end record.
TEST_P(LyingDirectory, IsRefusedOrStoppedWithItsReason) {
    const DirectoryRow& row = GetParam();
    const std::string file = std::string(10'000, 'd') + row.records +
                             EndRecord(row.count, row.records.size(), 10'000, row.disk);
    const auto place = zip::ReadDirectoryPlace(file, file.size());
    Result<std::vector<zip::DirectoryEntry>, std::string> entries = Refuse(std::string());
    entries = place ? zip::ReadDirectory(row.records, *place) : Refuse(place.reason());
    if (row.refused) {
        ASSERT_FALSE(entries);
        EXPECT_NE(entries.reason().find(row.refused), std::string::npos) << entries.reason();
        return;
    }
    ASSERT_TRUE(entries) << entries.reason();
    QTemporaryDir module;
    const Fd folder = OpenFolder(module.path().toStdString());
    const auto selection =
        SelectChangedEntries(*entries, *place, folder.get(), "EDITOR.EXE", &SameSizeAndCrc);
    ASSERT_FALSE(selection) << "the whole archive is fetched instead";
    EXPECT_NE(selection.reason().find(row.stopped), std::string::npos) << selection.reason();
}

INSTANTIATE_TEST_SUITE_P(
    Directories, LyingDirectory,
    ::testing::Values(
        DirectoryRow{"ClaimsTenMillionEntries", Record("A", 0, 10), 10'000'000, 0, "claims"},
        DirectoryRow{"OnSeveralDisks", Record("A", 0, 10), 1, 1, "several disks"},
        DirectoryRow{"RecordRunsPastTheDirectory",
                     Record("ABCDEFGHIJKLMNOPQRSTUVWXYZ", 0, 10).substr(0, 60), 1, 0, "runs past"},
        DirectoryRow{"MoreThanItsRecords", Record("A", 0, 10) + "junk", 1, 0, "more than"},
        DirectoryRow{"EntryInTheDirectory", Record("A", 10'020, 10), 1, 0, "outside"},
        DirectoryRow{"EntriesShareBytes", Record("A", 0, 100) + Record("B", 50, 100), 2, 0, nullptr,
                     "overlap"},
        DirectoryRow{"NameClimbsOut", Record("../A", 0, 10), 1, 0, nullptr, "plainly"},
        DirectoryRow{"CodePageNameWithoutUtf8Flag", Record("caf\xe9", 0, 10), 1, 0, nullptr,
                     "plainly"},
        DirectoryRow{"OneFileTwice", Record("A", 0, 10) + Record("./A", 100, 10), 2, 0, nullptr,
                     "plainly"},
        DirectoryRow{"MostOfTheArchiveChanged", Record("A", 0, 9000), 1, 0, nullptr, "most"}),
    CaseName());

} // namespace
} // namespace quillset::test
