// Hostile and malformed archives through the real agent, end to end: each is either refused with
// the module exactly as it was, or installed whole with a program that runs.
#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"
#include "tests/support/ModuleFixtures.h"
#include "tests/support/RunTool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quillset::test {
namespace {

const std::set<std::string> kNotModule{"EDITOR.VER", "EDITOR.ZIP", "STARTED.TXT"};
const char* const kNewProgram = "#!/bin/sh\necho 2.0 >> \"$(dirname \"$0\")/STARTED.TXT\"\n";

// Writes a zip with Python's zipfile from a list of entries: "name", "type" (file, link, dir),
// "data", "system" (3 Unix, 0 a host without Unix modes), "mode", and "corrupt" for an entry
// whose compressed bytes are damaged after writing.
constexpr const char* kZipWriter = R"(
import json, random, sys, zipfile
path, entries = sys.argv[1], json.loads(sys.argv[2])
kinds = {'file': 0o100644, 'link': 0o120777, 'dir': 0o40755}
with zipfile.ZipFile(path, 'w') as z:
    for e in entries:
        kind = e.get('type', 'file')
        info = zipfile.ZipInfo(e['name'] + ('/' if kind == 'dir' else ''), (2024, 1, 1, 0, 0, 0))
        info.create_system = e.get('system', 3)
        mode = (kinds[kind] & ~0o7777) | e.get('mode', kinds[kind] & 0o7777)
        info.external_attr = (mode << 16) if info.create_system == 3 else (0x10 if kind == 'dir' else 0)
        data = e.get('data', '')
        if e.get('corrupt'):
            info.compress_type = zipfile.ZIP_DEFLATED
            rng = random.Random(7)
            data = ''.join(rng.choice('abcdefgh ') for _ in range(200000))
        z.writestr(info, data)
raw = bytearray(open(path, 'rb').read())
with zipfile.ZipFile(path) as z:
    for e in entries:
        if e.get('corrupt'):
            i = z.getinfo(e['name'])
            n = int.from_bytes(raw[i.header_offset + 26:i.header_offset + 28], 'little')
            m = int.from_bytes(raw[i.header_offset + 28:i.header_offset + 30], 'little')
            start = i.header_offset + 30 + n + m + i.compress_size // 2
            for k in range(start, start + 64):
                raw[k] ^= 0x5a
open(path, 'wb').write(raw)
)";

struct Entry {
    const char* name;
    const char* type = "file";
    const char* data = "";
    int system = 3;
    int mode = -1;
    bool corrupt = false;
};

enum class Outcome { Refused, Installed };

struct HostileCase {
    const char* name;
    std::vector<Entry> entries;
    Outcome outcome;
    const char* failedStep; // how the failure log names the step and the reason, for refusals
};

const Entry kProgramEntry{"EDITOR.EXE", "file", kNewProgram, 3, 0755};
const Entry kReadme{"README.TXT", "file", "version 2.0\n"};

class HostileArchive : public AgentEndToEnd, public ::testing::WithParamInterface<HostileCase> {
protected:
    void writeArchive(const std::vector<Entry>& entries) const {
        QJsonArray described;
        for (const Entry& entry : entries) {
            QJsonObject object{{"name", entry.name},
                               {"type", entry.type},
                               {"data", entry.data},
                               {"system", entry.system},
                               {"corrupt", entry.corrupt}};
            if (entry.mode >= 0)
                object.insert("mode", entry.mode);
            described.append(object);
        }
        ASSERT_EQ(
            RunTool("python3",
                    {"-c", kZipWriter, PathText(serverFolder() / "EDITOR.ZIP"),
                     QString::fromUtf8(QJsonDocument(described).toJson(QJsonDocument::Compact))}),
            0);
        WriteFile(serverFolder() / "EDITOR.VER", "2.0");
    }
};

TEST_P(HostileArchive, IsRefusedWithTheModuleUntouchedOrInstalledWhole) {
    const HostileCase& row = GetParam();
    WriteModuleProgram(moduleFolder(), "1.0");
    WriteFile(moduleFolder() / "README.TXT", "version 1.0\n");
    const ModuleSnapshot before = SnapshotOf(moduleFolder(), kNotModule);
    writeArchive(row.entries);
    ASSERT_FALSE(HasFailure());
    startServer();

    const AgentRun run = runAgent("1.0");
    ASSERT_TRUE(run.finished);
    const std::string log = run.errorLines.join('\n').toStdString();
    EXPECT_EQ(AgentLeftovers(moduleFolder()), std::vector<std::string>{});
    EXPECT_EQ(DescribeEntry(moduleFolder() / "EDITOR.EXE").substr(0, 8), "program ");
    if (row.outcome == Outcome::Refused) {
        EXPECT_TRUE(run.lines.contains(kNotUpdated)) << log;
        EXPECT_EQ(SnapshotOf(moduleFolder(), kNotModule), before) << "nothing of it stays";
        EXPECT_EQ(startedVersions("1.0\n"), "1.0\n");
        EXPECT_NE(log.find(std::string(" EDITOR ") + row.failedStep), std::string::npos) << log;
    } else {
        EXPECT_TRUE(run.lines.contains(kUpdated)) << log;
        EXPECT_EQ(startedVersions("2.0\n"), "2.0\n");
        EXPECT_EQ(ReadAll(moduleFolder() / "README.TXT"), "version 2.0\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Agent, HostileArchive,
    ::testing::Values(
        HostileCase{"ProgramIsALinkToTheOldSetAsideName",
                    {{"EDITOR.EXE", "link", "EDITOR.EXE.previous"}, kReadme},
                    Outcome::Refused,
                    "check: the archive's EDITOR.EXE is a link"},
        HostileCase{"ProgramIsALinkToTheArchive",
                    {{"EDITOR.EXE", "link", "EDITOR.ZIP"}, kReadme},
                    Outcome::Refused,
                    "check: the archive's EDITOR.EXE is a link"},
        HostileCase{"ProgramIsALinkOutOfTheModule",
                    {{"EDITOR.EXE", "link", "/bin/sh"}, kReadme},
                    Outcome::Refused,
                    "unpack: the engine answered 4: refused"},
        HostileCase{"ProgramIsAFolder",
                    {{"EDITOR.EXE", "dir"}, {"EDITOR.EXE/INNER.TXT", "file", "x"}, kReadme},
                    Outcome::Refused,
                    "check: the archive's EDITOR.EXE is a folder"},
        HostileCase{"ProgramOnlyInASubfolder",
                    {{"BIN/EDITOR.EXE", "file", kNewProgram, 3, 0755}, kReadme},
                    Outcome::Refused,
                    "check: the archive holds no EDITOR.EXE"},
        HostileCase{"DecoyStagingFolder",
                    {kProgramEntry, {".tlupdater-staging/EDITOR.EXE", "file", "evil"}, kReadme},
                    Outcome::Refused,
                    "check: the archive holds .tlupdater-staging,"},
        HostileCase{"DecoyJournalInUpperCase",
                    {kProgramEntry,
                     {".TLUPDATER-JOURNAL", "file", "TLUPDATER-SWAP 1\nadd EDITOR.EXE\nplanned\n"},
                     kReadme},
                    Outcome::Refused,
                    "check: the archive holds .TLUPDATER-JOURNAL,"},
        HostileCase{"DecoyBackupEntry",
                    {kProgramEntry, {".tlupdater-backup/0", "file", "evil"}, kReadme},
                    Outcome::Refused,
                    "check: the archive holds .tlupdater-backup,"},
        HostileCase{"FailingTail",
                    {kProgramEntry, kReadme, {"DATA/TAIL.DAT", "file", "", 3, -1, true}},
                    Outcome::Refused,
                    "unpack: the engine answered 2: error: "},
        HostileCase{"SetAsideNameThenFailingTail",
                    {{"EDITOR.EXE.previous", "file", "junk"},
                     kProgramEntry,
                     kReadme,
                     {"TAIL.DAT", "file", "", 3, -1, true}},
                    Outcome::Refused,
                    "unpack: the engine answered 2: error: "},
        HostileCase{
            "EntriesWithoutUnixModes",
            {{"EDITOR.EXE", "file", kNewProgram, 0}, {"README.TXT", "file", "version 2.0\n", 0}},
            Outcome::Installed,
            ""},
        HostileCase{"ProgramWithoutExecutableBits",
                    {{"EDITOR.EXE", "file", kNewProgram, 3, 0644}, kReadme},
                    Outcome::Installed,
                    ""},
        HostileCase{"ProgramNamedInLowerCase",
                    {{"editor.exe", "file", kNewProgram, 3, 0755}, kReadme},
                    Outcome::Installed,
                    ""}),
    CaseName());

} // namespace
} // namespace quillset::test
