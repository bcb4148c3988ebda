#include "QuillsetVersion.h"
#include "tests/support/AgentEndToEnd.h"
#include "tests/support/CaseName.h"
#include "tests/support/ModuleFixtures.h"

#include <QDir>
#include <atomic>
#include <functional>
#include <map>
#include <poll.h>
#include <sys/inotify.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace quillset::test {
namespace {

const QString kPublisherKey = QStringLiteral(TEST_PUBLISHER_KEY);
const QString kOtherKey = QStringLiteral(TEST_OTHER_KEY);
// What every request of the agent says it is: the agent, its version and the module's.
const std::string kUserAgent =
    std::string("TLUPDATER/") + kQuillsetVersion + " (Quillset; EDITOR 1.0)";
// The agent without a key, built for the same server as the one with the key.
const QString kUnsignedProgram = qEnvironmentVariable("QUILLSET_TEST_UNSIGNED_AGENT");

// Every file below `folder` with its content, by path relative to it.
std::map<std::string, std::string> FilesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files[fs::relative(entry.path(), folder).string()] = ReadAll(entry.path());
    return files;
}

// The agent built with the test publisher's public key, on a module with version 1.0 and a
// README.TXT installed; version 2.0, with more files, is ready to publish.
class SignedUpdate : public AgentEndToEnd {
public:
    using AgentEndToEnd::publishTo;
    using AgentEndToEnd::serverFolder;

    void SetUp() override {
        AgentEndToEnd::SetUp();
        WriteModuleProgram(moduleFolder(), "1.0");
        WriteFile(moduleFolder() / "README.TXT", "version 1.0\n");
        newVersion = scratch("module-2.0");
        WriteModuleProgram(newVersion, "2.0");
        WriteFile(newVersion / "README.TXT", "version 2.0\n");
        fs::create_directories(newVersion / "DATA");
        WriteFile(newVersion / "DATA" / "TABLE.DAT", std::string(40'000, 'T'));
    }
    fs::path scratch(const char* name) const {
        const fs::path folder = fs::path(scratchRoot.path().toStdString()) / name;
        fs::create_directories(folder);
        return folder;
    }
    // Publishes `module` as `name` `version` into `output`, signed with `key`.
    static void publishSigned(const fs::path& output, const char* name, const fs::path& module,
                              const char* version, const QString& key = kPublisherKey) {
        publishTo(output, name, module, version,
                  {"--password", kArchivePassword, "--sign-key", key});
    }
    // Runs the agent with a failure log of its own; the log's text after the run.
    AgentRun runWithLog(const QString& program = kProgram) {
        const QString state = scratchRoot.path() + QStringLiteral("/state");
        const AgentRun run = RunAgent(program, commandLine("1.0"),
                                      {"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so",
                                       QStringLiteral("XDG_STATE_HOME=") + state});
        log = ReadAll(fs::path(state.toStdString()) / "quillset" / "TLUPDATER.log");
        return run;
    }
    // Files the module already holds as the release has them, enough that only the changed
    // entries are fetched, and so many that the statement is larger than a version file may be.
    void shareLargeFiles() {
        for (int i = 0; i < 40; ++i)
            WriteFile(newVersion / "LIB" / ("F" + std::to_string(i) + ".DAT"),
                      IncompressibleBytes(20'000, i));
        for (int i = 0; i < 800; ++i)
            WriteFile(newVersion / "LIB" / ("T" + std::to_string(i) + ".TXT"), "small");
        fs::copy(newVersion / "LIB", moduleFolder() / "LIB", fs::copy_options::recursive);
    }
    // Publishes `tree`, unsigned, and puts its archive in place of the signed one.
    void replaceArchive(const fs::path& tree) {
        const fs::path aside = scratch("evil-published");
        publishTo(aside, "EDITOR", tree, "2.0", {"--password", kArchivePassword});
        fs::copy_file(aside / "EDITOR.ZIP", serverFolder() / "EDITOR.ZIP",
                      fs::copy_options::overwrite_existing);
    }
    // Publishes the new version signed, then puts in place an archive of it whose `name` holds
    // `text` instead.
    void swapInChangedRelease(const std::string& name, const std::string& text) {
        publishSigned(serverFolder(), "EDITOR", newVersion, "2.0");
        const fs::path evil = scratch("evil");
        fs::copy(newVersion, evil, fs::copy_options::recursive);
        WriteFile(evil / name, text);
        replaceArchive(evil);
    }
    void expectInstalled(const AgentRun& run) {
        ASSERT_TRUE(run.finished);
        EXPECT_TRUE(run.lines.contains(kUpdated));
        EXPECT_EQ(startedVersions("2.0\n"), "2.0\n");
        EXPECT_EQ(ReadAll(moduleFolder() / "README.TXT"), "version 2.0\n");
        EXPECT_TRUE(fs::exists(moduleFolder() / "DATA" / "TABLE.DAT"));
        for (const char* copy : {"EDITOR.ZIP", "EDITOR.VER", "EDITOR.SIG"})
            EXPECT_FALSE(fs::exists(moduleFolder() / copy)) << copy;
    }

    QTemporaryDir scratchRoot;
    fs::path newVersion;
    std::string log;
};

TEST_F(SignedUpdate, ReleaseSignedByThePublisherIsInstalled) {
    publishSigned(serverFolder(), "EDITOR", newVersion, "2.0");
    startServer();
    expectInstalled(runWithLog());
    // Only that the server answers no ranges.
    EXPECT_EQ(QString::fromStdString(log).count('\n'), 1) << log;
    EXPECT_NE(log.find("partial fetch: the server answers no ranges"), std::string::npos) << log;
}

// The local copy renamed over by another archive once the check is done (the signature copy is
// deleted right after it is read): what is installed is still what was checked.
TEST_F(SignedUpdate, ArchiveSwappedAfterTheCheckIsNotWhatIsInstalled) {
    publishSigned(serverFolder(), "EDITOR", newVersion, "2.0");
    const fs::path forgedTree = scratch("forged");
    WriteModuleProgram(forgedTree, "6.6");
    WriteFile(forgedTree / "README.TXT", "forged\n");
    const fs::path forged = scratch("forged-published");
    publishTo(forged, "EDITOR", forgedTree, "2.0", {"--password", kArchivePassword});
    fs::copy_file(forged / "EDITOR.ZIP", moduleFolder() / "FORGED.ZIP");
    startServer();

    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, moduleFolder().c_str(), IN_DELETE | IN_CLOSE_NOWRITE), 0);
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        bool checked = false;
        alignas(inotify_event) char buffer[4096];
        while (!done) {
            pollfd ready{watch, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0)
                continue;
            const ssize_t got = ::read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                const std::string name = event->len ? event->name : "";
                if ((event->mask & IN_DELETE) && name == "EDITOR.SIG")
                    checked = true;
                else if (checked && (event->mask & IN_CLOSE_NOWRITE) && name == "EDITOR.ZIP")
                    ::rename((moduleFolder() / "FORGED.ZIP").c_str(),
                             (moduleFolder() / "EDITOR.ZIP").c_str());
            }
        }
    });
    const AgentRun run = runWithLog();
    done = true;
    swapper.join();
    ::close(watch);
    // The rename may also land after the run deleted its copy: only the module is looked at.
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.lines.contains(kUpdated));
    EXPECT_EQ(ReadAll(moduleFolder() / "README.TXT"), "version 2.0\n");
    EXPECT_EQ(startedVersions("2.0\n"), "2.0\n") << "never the forged 6.6";
}

TEST_F(SignedUpdate, SignedVersionIsComparedAsANumberLikeTheVersionFile) {
    publishSigned(serverFolder(), "EDITOR", newVersion, "2.0");
    // The same version written another way: the agent reads both as the number 2.
    WriteFile(serverFolder() / "EDITOR.VER", "2.00,\"released today\"\r\n");
    startServer();
    expectInstalled(runWithLog());
}

TEST_F(SignedUpdate, AgentWithoutAKeyInstallsUnsignedReleasesAndAsksForNoSignature) {
    publish(newVersion, "2.0");
    startServer();
    expectInstalled(runWithLog(kUnsignedProgram));
    // Every request names the agent and the module, version as installed.
    const std::vector<OriginRequest> requests = server->originRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/updates/EDITOR.VER");
    EXPECT_EQ(requests[1].path, "/updates/EDITOR.ZIP");
    for (const OriginRequest& request : requests) {
        EXPECT_EQ(request.cacheControl, "max-age=0");
        EXPECT_EQ(request.userAgent, kUserAgent);
    }
}

// One way a release can fail its signature check: how the server's files are made, and what the
// agent's log must say.
struct Forgery {
    const char* name;
    std::function<void(SignedUpdate&)> prepare;
    QStringList serverRules;
    const char* logged;
    // Served by an origin with ranges, the module holding most of the release already: only the
    // entries that changed are fetched, and checked once unpacked.
    bool changedEntriesOnly = false;
};

class RefusedRelease : public SignedUpdate, public ::testing::WithParamInterface<Forgery> {};

void FlipOneByte(const fs::path& file) {
    std::string bytes = ReadAll(file);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x01);
    WriteFile(file, bytes);
}

// `text` with its line "KEY ..." replaced by "KEY value".
std::string WithLine(const std::string& text, const std::string& key, const std::string& value) {
    const size_t at = text.find("\n" + key + " ") + 1;
    const size_t end = text.find('\n', at);
    return text.substr(0, at) + key + " " + value + text.substr(end);
}

std::uint32_t Crc32Of(const std::string& bytes) {
    return std::uint32_t(
        crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

// Bytes of `text`'s size, unlike it, with its CRC-32. The CRC of a fixed length is affine in the
// bytes, so four free bytes at the end solve for any CRC (Gaussian elimination over GF(2)).
std::string SameCrcOtherBytes(const std::string& text) {
    std::string forged(text.size() - 4, 'x');
    forged.append(4, '\0');
    const std::uint32_t base = Crc32Of(forged);
    std::uint32_t basis[32] = {};
    std::uint32_t made[32] = {}; // which free bits make each basis vector
    for (int bit = 0; bit < 32; ++bit) {
        std::string flipped = forged;
        flipped[forged.size() - 4 + bit / 8] ^= char(1 << (bit % 8));
        std::uint32_t vector = Crc32Of(flipped) ^ base;
        std::uint32_t from = 1u << bit;
        for (int pivot = 31; pivot >= 0 && vector != 0; --pivot) {
            if (!(vector >> pivot & 1))
                continue;
            if (basis[pivot] == 0) {
                basis[pivot] = vector;
                made[pivot] = from;
                break;
            }
            vector ^= basis[pivot];
            from ^= made[pivot];
        }
    }
    std::uint32_t wanted = Crc32Of(text) ^ base;
    std::uint32_t bits = 0;
    for (int pivot = 31; pivot >= 0; --pivot)
        if (wanted >> pivot & 1) {
            wanted ^= basis[pivot];
            bits ^= made[pivot];
        }
    for (int bit = 0; bit < 32; ++bit)
        if (bits >> bit & 1)
            forged[forged.size() - 4 + bit / 8] ^= char(1 << (bit % 8));
    return forged;
}

std::string Sha256Of(const fs::path& file) {
    QProcess sum;
    sum.start("sha256sum", {QString::fromStdString(file.string())});
    sum.waitForFinished(10'000);
    return sum.readAllStandardOutput().left(64).toStdString();
}

const Forgery kForgeries[] = {
    {"ArchiveSwappedAfterSigning",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0");
         const fs::path evil = f.scratch("evil");
         WriteModuleProgram(evil, "evil");
         WriteFile(evil / "EXTRA.TXT", "more than the signed archive holds\n");
         f.replaceArchive(evil);
     },
     {},
     "bytes, the signed one"},
    {"OneByteOfTheArchiveChanged",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0");
         FlipOneByte(f.serverFolder() / "EDITOR.ZIP");
     },
     {},
     "SHA-256 digest is not the signed one"},
    {"StatementRewrittenForASwappedArchive",
     [](SignedUpdate& f) {
         // The forger can hash the archive but cannot sign the new statement.
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0");
         FlipOneByte(f.serverFolder() / "EDITOR.ZIP");
         const fs::path sig = f.serverFolder() / "EDITOR.SIG";
         WriteFile(sig,
                   WithLine(ReadAll(sig), "sha256", Sha256Of(f.serverFolder() / "EDITOR.ZIP")));
     },
     {},
     "does not verify under the built-in public key"},
    {"SignatureFileMissing",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0");
         fs::remove(f.serverFolder() / "EDITOR.SIG");
     },
     {},
     "EDITOR.SIG could not be fetched"},
    {"SignatureTransferDroppedHalfWay",
     [](SignedUpdate& f) { f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0"); },
     {"--rule", "EDITOR.SIG=drop"},
     "EDITOR.SIG could not be fetched"},
    {"SignatureFileTruncated",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0");
         const fs::path sig = f.serverFolder() / "EDITOR.SIG";
         WriteFile(sig, ReadAll(sig).substr(0, 100));
     },
     {},
     "the signature file is malformed"},
    {"SignatureFileOversized",
     [](SignedUpdate& f) { f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0"); },
     {"--rule", "EDITOR.SIG=pad=16777300"},
     "EDITOR.SIG could not be fetched: the file is larger than"},
    {"SignedWithAnotherKey",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0", kOtherKey);
     },
     {},
     "does not verify under the built-in public key"},
    {"OlderSignedReleaseUnderANewerVersionFile",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "1.5");
         const fs::path newer = f.scratch("newer-published");
         f.publishSigned(newer, "EDITOR", f.newVersion, "2.0");
         fs::copy_file(newer / "EDITOR.VER", f.serverFolder() / "EDITOR.VER",
                       fs::copy_options::overwrite_existing);
     },
     {},
     "the signature is for version 1.5"},
    {"ReleaseSignedForAnotherModule",
     [](SignedUpdate& f) {
         const fs::path other = f.scratch("other-module");
         WriteModuleProgram(other, "2.0");
         fs::copy_file(other / "EDITOR.EXE", other / "OTHER.EXE");
         const fs::path published = f.scratch("other-published");
         f.publishSigned(published, "OTHER", other, "2.0");
         fs::copy_file(published / "OTHER.ZIP", f.serverFolder() / "EDITOR.ZIP");
         fs::copy_file(published / "OTHER.SIG", f.serverFolder() / "EDITOR.SIG");
         fs::copy_file(published / "OTHER.VER", f.serverFolder() / "EDITOR.VER");
     },
     {},
     "the signature is for the module OTHER, not EDITOR"},
    // The changed README.TXT's bytes rewritten, its size, name and mode kept.
    {"FetchedEntryNotTheOneSigned",
     [](SignedUpdate& f) { f.swapInChangedRelease("README.TXT", "version 6.6\n"); },
     {},
     "the fetched entry README.TXT is not the one signed",
     true},
    {"DirectoryNotTheOneSigned",
     [](SignedUpdate& f) { f.swapInChangedRelease("EXTRA.TXT", "not signed\n"); },
     {},
     "the archive's directory lists",
     true},
    {"SignedEntryDigestRewritten",
     [](SignedUpdate& f) {
         f.publishSigned(f.serverFolder(), "EDITOR", f.newVersion, "2.0");
         const fs::path sig = f.serverFolder() / "EDITOR.SIG";
         std::string text = ReadAll(sig);
         const size_t digest = text.find("\nentry ") + 7;
         text[digest] = text[digest] == '0' ? '1' : '0';
         WriteFile(sig, text);
     },
     {},
     "does not verify under the built-in public key",
     true},
};

TEST_P(RefusedRelease, OldProgramStartsAndTheModuleIsUntouched) {
    const Forgery& forgery = GetParam();
    if (forgery.changedEntriesOnly)
        shareLargeFiles();
    forgery.prepare(*this);
    const std::map<std::string, std::string> before = FilesOf(moduleFolder());
    if (forgery.changedEntriesOnly)
        startServer({.origin = Origin::Nginx});
    else
        startServer(forgery.serverRules);
    const AgentRun run = runWithLog();
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(run.lines.contains(kNotUpdated));
    // A fetched entry is checked once it is unpacked into the staging folder.
    if (!std::string(forgery.logged).starts_with("the fetched entry")) {
        EXPECT_FALSE(run.lines.contains("Status: Unpacking...")) << "refused before unpacking";
    }
    EXPECT_EQ(run.lines.back(), "Unload: WinMain");
    EXPECT_EQ(startedVersions("1.0\n"), "1.0\n");

    std::map<std::string, std::string> after = FilesOf(moduleFolder());
    // What the failure path leaves for the next run to delete, and the started program's mark.
    for (const char* left : {"STARTED.TXT", "EDITOR.VER", "EDITOR.ZIP"})
        after.erase(left);
    EXPECT_EQ(after, before);
    EXPECT_NE(log.find(" TLUPDATER EDITOR signature: "), std::string::npos) << log;
    EXPECT_NE(log.find(GetParam().logged), std::string::npos) << log;
}

INSTANTIATE_TEST_SUITE_P(Agent, RefusedRelease, ::testing::ValuesIn(kForgeries), CaseName());

// A module file made to show the size and CRC-32 of the release's changed entry: the directory
// would call it current, the signed digest does not, and the entry is fetched.
TEST_F(SignedUpdate, InstalledFileForgedToTheNewSizeAndCrcIsReplaced) {
    shareLargeFiles();
    const std::string readme = ReadAll(newVersion / "README.TXT");
    WriteFile(moduleFolder() / "README.TXT", SameCrcOtherBytes(readme));
    ASSERT_NE(ReadAll(moduleFolder() / "README.TXT"), readme);
    publishSigned(serverFolder(), "EDITOR", newVersion, "2.0");
    startServer({.origin = Origin::Nginx});
    expectInstalled(runWithLog());
    const auto archive = static_cast<long long>(fs::file_size(serverFolder() / "EDITOR.ZIP"));
    EXPECT_LT(server->originBodyBytes("EDITOR.ZIP"), archive / 2) << "only the changed entries";
}

} // namespace
} // namespace quillset::test
