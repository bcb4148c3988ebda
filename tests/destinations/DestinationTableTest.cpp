// Every kind of --pdf destination through the real `quotation` and `movie`: each row checks the
// exit code, the message, what the destination holds afterwards and that no temporary is left.
#include "tests/support/Files.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace quillset::test {
namespace {

namespace fs = std::filesystem;

struct Program {
    const char* name;
    const char* title;    // the message box's caption
    const char* document; // what the failure log names
};
constexpr Program kPrograms[] = {{"quotation", "QUOTATION", "letter"},
                                 {"movie", "MOVIE", "schedule"}};

// A letter that was there before the job: larger than the file-size limit below, so a cut-off
// new file could never pass for it.
const QByteArray kOldBytes = QByteArray("an earlier letter, kept whole\n").repeated(400);
constexpr rlim_t kFileSizeLimit = 4096;

// A whole one-page PDF, as poppler reads it.
bool IsCompletePdf(const QByteArray& bytes) {
    QTemporaryDir folder;
    const QString path = folder.filePath("check.pdf");
    EXPECT_TRUE(WriteFile(path, bytes));
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {path});
    pdfinfo.waitForFinished(30000);
    return pdfinfo.exitCode() == 0 && QString::fromUtf8(pdfinfo.readAllStandardOutput())
                                          .contains(QRegularExpression("Pages: +1\n"));
}

// What a row leaves at the destination.
enum class After {
    NewPdf,       // a complete PDF at the path
    OldBytes,     // the earlier file, byte for byte
    ReaderGotPdf, // the FIFO's reader received a complete PDF; the FIFO is still one
    DeviceStays,  // the device node is still a device
    NothingThere, // no file at the path
};

// One destination under test. `prepare` makes it inside `folder` and answers the path to print
// to, or an empty path with the reason in `skip` when this machine cannot make it.
struct Row {
    const char* name;
    std::function<QString(const QString& folder, std::string& skip)> prepare;
    bool printed;
    After after;
    const char* reason = ""; // part of the logged reason when not printed
    rlim_t fileSizeLimit = RLIM_INFINITY;
    bool linkStays = false;       // the path is a symbolic link that must still be one afterwards
    const char* failingCall = ""; // "fsync" or "close" fails with EIO for files in the folder
    bool queue = false;           // the path names a print queue (--printer), not a file
};

QString RegularFile(const QString& folder) {
    const QString path = folder + "/letter.pdf";
    EXPECT_TRUE(WriteFile(path, kOldBytes));
    return path;
}

// A device node of our own where we may make one, so a wrong replace can never touch /dev.
QString Device(const QString& folder, const char* name, unsigned minor, std::string&) {
    const QString own = folder + "/" + name;
    if (::mknod(own.toLocal8Bit().constData(), S_IFCHR | 0666, makedev(1, minor)) == 0)
        return own;
    return QStringLiteral("/dev/") + name;
}

// The small disks of one row, detached afterwards.
using Mounts = std::vector<std::unique_ptr<SmallDisk>>;

bool MountSmallDisk(Mounts& mounts, const QString& folder, std::size_t bytes, std::string& why) {
    QDir().mkpath(folder);
    std::unique_ptr<SmallDisk> disk = SmallDisk::mount(folder.toStdString(), bytes, why);
    if (!disk)
        return false;
    mounts.push_back(std::move(disk));
    return true;
}

std::vector<Row> Rows(Mounts& mounts) {
    return {
        {"NewFileIsWritten",
         [](const QString& folder, std::string&) { return folder + "/letter.pdf"; }, true,
         After::NewPdf},
        {"EarlierFileIsReplacedWhole",
         [](const QString& folder, std::string&) { return RegularFile(folder); }, true,
         After::NewPdf},
        {"FileSizeLimitKeepsTheOldFile",
         [](const QString& folder, std::string&) { return RegularFile(folder); }, false,
         After::OldBytes, "File too large", kFileSizeLimit},
        {"FullDiskKeepsTheOldFile",
         [&mounts](const QString& folder, std::string& skip) -> QString {
             const QString disk = folder + "/small";
             if (!MountSmallDisk(mounts, disk, 64 * 1024, skip))
                 return {};
             const QString path = RegularFile(disk);
             if (!SmallDisk::fillUp((disk + "/filler").toStdString())) {
                 skip = "the small disk did not fill up";
                 return {};
             }
             return path;
         },
         false, After::OldBytes, "No space left on device"},
        {"LinkIsFollowedAndStays",
         [](const QString& folder, std::string&) {
             const QString target = RegularFile(folder);
             QFile::link(target, folder + "/link.pdf");
             return folder + "/link.pdf";
         },
         true, After::NewPdf, "", RLIM_INFINITY, true},
        {"DanglingLinkMakesItsTarget",
         [](const QString& folder, std::string&) {
             QFile::link(folder + "/target.pdf", folder + "/link.pdf");
             return folder + "/link.pdf";
         },
         true, After::NewPdf, "", RLIM_INFINITY, true},
        {"FifoIsWrittenThrough",
         [](const QString& folder, std::string&) {
             const QString fifo = folder + "/pipe";
             ::mkfifo(fifo.toLocal8Bit().constData(), 0600);
             return fifo;
         },
         true, After::ReaderGotPdf},
        {"NullDeviceIsWrittenThroughNotReplaced",
         [](const QString& folder, std::string& skip) { return Device(folder, "null", 3, skip); },
         true, After::DeviceStays},
        {"FullDeviceFailsAndStays",
         [](const QString& folder, std::string& skip) { return Device(folder, "full", 7, skip); },
         false, After::DeviceStays, "No space left on device"},
        {"ReadOnlyFolderKeepsTheOldFile",
         [&mounts](const QString& folder, std::string& skip) -> QString {
             const QString locked = folder + "/locked";
             if (::geteuid() != 0) {
                 QDir().mkpath(locked);
                 const QString path = RegularFile(locked);
                 ::chmod(locked.toLocal8Bit().constData(), 0555);
                 return path;
             }
             // Root writes through permissions: only a read-only file system stops it.
             if (!MountSmallDisk(mounts, locked, 256 * 1024, skip))
                 return {};
             const QString path = RegularFile(locked);
             if (::mount(nullptr, locked.toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_RDONLY,
                         nullptr) != 0) {
                 skip = "cannot make the tmpfs read-only";
                 return {};
             }
             return path;
         },
         false, After::OldBytes, ::geteuid() == 0 ? "Read-only file system" : "Permission denied"},
        // Every write succeeds; the disk reports the loss only when the file is flushed or
        // closed.
        {"FailedFlushKeepsTheOldFile",
         [](const QString& folder, std::string&) { return RegularFile(folder); }, false,
         After::OldBytes, "Input/output error", RLIM_INFINITY, false, "fsync"},
        {"FailedCloseKeepsTheOldFile",
         [](const QString& folder, std::string&) { return RegularFile(folder); }, false,
         After::OldBytes, "Input/output error", RLIM_INFINITY, false, "close"},
        {"FolderIsRefused",
         [](const QString& folder, std::string&) {
             QDir().mkpath(folder + "/letters");
             return folder + "/letters";
         },
         false, After::NothingThere, "Is a directory"},
        {"MissingFolderIsRefused",
         [](const QString& folder, std::string&) { return folder + "/none/letter.pdf"; }, false,
         After::NothingThere, "No such file or directory"},
        // The only row that reaches the print system: with no server, there is no such queue.
        {"QueueWithoutAServerIsRefused",
         [](const QString& folder, std::string&) { return folder + "/NoSuchQueue"; }, false,
         After::NothingThere, "there is no printer named", RLIM_INFINITY, false, "", true},
    };
}

// Reads what a program writes into a FIFO. The read end is open before the program starts, so
// the program finds a reader, and it never blocks: if the FIFO is wrongly replaced, the reader
// still ends once the program has.
class FifoReader {
public:
    explicit FifoReader(const QString& path) {
        if (path.isEmpty())
            return;
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        thread_ = std::thread([this] { read(); });
    }
    ~FifoReader() { finish(); }
    // Call when the program has ended.
    QByteArray finish() {
        programEnded_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(std::exchange(fd_, -1));
        return received_;
    }

private:
    void read() {
        char buffer[65536];
        for (;;) {
            pollfd poll{fd_, POLLIN, 0};
            const int ready = ::poll(&poll, 1, 100);
            if (ready > 0 && (poll.revents & POLLIN)) {
                const ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0) {
                    received_.append(buffer, n);
                    continue;
                }
            }
            // The writer has gone, or the program ended without writing here.
            if ((ready > 0 && (poll.revents & POLLHUP)) || (ready == 0 && programEnded_))
                return;
        }
    }

    int fd_ = -1;
    std::atomic<bool> programEnded_ = false;
    QByteArray received_;
    std::thread thread_;
};

// What the loader told of a run's mapping, in its files `folder`/loader.PID.
QString LoaderReport(const QString& folder) {
    QString told;
    for (const QString& file : QDir(folder).entryList({"loader.*"}, QDir::Files))
        told += QString::fromUtf8(ReadAll(folder + "/" + file));
    return told;
}

// Files the job left in the destination's folder besides the ones the row made.
QStringList Strays(const QString& folder) {
    return QDir(folder).entryList({".*.pdf.*", ".*.??????"},
                                  QDir::Files | QDir::Hidden | QDir::System);
}

TEST(PrintDestinations, EachDestinationEndsInAWholePageOrAFailureThatKeepsWhatWasThere) {
    int tried = 0, skipped = 0;
    for (const Program& program : kPrograms) {
        Mounts mounts;
        for (const Row& row : Rows(mounts)) {
            const std::string label = std::string(program.name) + " " + row.name;
            QTemporaryDir folder, state;
            std::string skip;
            const QString path = row.prepare(folder.path(), skip);
            if (path.isEmpty()) {
                std::printf("skipped %s: %s\n", label.c_str(), skip.c_str());
                ++skipped;
                continue;
            }
            ++tried;
            const QString targetFolder = QFileInfo(path).absolutePath();

            FifoReader reader(row.after == After::ReaderGotPdf ? path : QString());
            std::vector<std::pair<QString, QString>> environment = {
                {"XDG_STATE_HOME", state.path()}};
            // The loader tells what it maps in files of its own, which a size limit would cut.
            QTemporaryDir loader;
            const bool traced = row.fileSizeLimit == RLIM_INFINITY;
            if (traced)
                environment.insert(
                    environment.end(),
                    {{"LD_DEBUG", "files"}, {"LD_DEBUG_OUTPUT", loader.filePath("loader")}});
            if (*row.failingCall) {
                environment.insert(
                    environment.end(),
                    {{"LD_PRELOAD", QUILLSET_FAILING_FILE_CALLS},
                     {"QUILLSET_FAILING_CALL", row.failingCall},
                     {"QUILLSET_FAILING_FOLDER", QFileInfo(targetFolder).canonicalFilePath()},
                     // A sanitizer build wants its runtime first among the preloads.
                     {"ASAN_OPTIONS",
                      qEnvironmentVariable("ASAN_OPTIONS") + ":verify_asan_link_order=0"}});
            }
            const ProgramRun run =
                RunProgram(program.name, {"--print", row.queue ? "--printer" : "--pdf", path},
                           environment, row.fileSizeLimit);
            const QByteArray received = reader.finish();

            // Printing needs Qt Gui alone: no widgets, no window side; the print system only for
            // a queue.
            const QString mapped = LoaderReport(loader.path());
            EXPECT_EQ(mapped.contains("libQt6Gui.so.6"), traced) << label;
            EXPECT_FALSE(mapped.contains("libQt6Widgets") || mapped.contains("-window.so"))
                << label;
            EXPECT_EQ(mapped.contains("libcups.so.2"), traced && row.queue) << label;

            const QString success = QStringLiteral("[%1] 1 page(s) sent to printer\n%2\n")
                                        .arg(program.title, QFileInfo(path).absoluteFilePath());
            if (row.printed) {
                EXPECT_EQ(run.exitCode, 0) << label << ": " << run.err.toStdString();
                EXPECT_EQ(run.out, success) << label;
                EXPECT_TRUE(run.err.isEmpty()) << label << ": " << run.err.toStdString();
            } else {
                EXPECT_EQ(run.exitCode, 1) << label;
                EXPECT_FALSE(run.out.contains("sent to printer")) << label;
                const QString logged = QString::fromUtf8(
                    ReadAll(state.filePath(QStringLiteral("quillset/%1.log").arg(program.name))));
                EXPECT_TRUE(logged.contains(
                    QStringLiteral(" %1 %2 print: ").arg(program.name, program.document)))
                    << label << ": " << logged.toStdString();
                EXPECT_TRUE(logged.contains(row.reason)) << label << ": " << logged.toStdString();
                EXPECT_EQ(run.err, logged) << label << ": the same line on standard error";
            }

            const QFileInfo info(path);
            switch (row.after) {
            case After::NewPdf:
                EXPECT_TRUE(IsCompletePdf(ReadAll(path))) << label;
                break;
            case After::OldBytes:
                EXPECT_EQ(ReadAll(path), kOldBytes) << label;
                break;
            case After::ReaderGotPdf:
                EXPECT_TRUE(IsCompletePdf(received)) << label << ": " << received.size();
                break;
            case After::DeviceStays: {
                struct stat node {};
                ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &node), 0) << label;
                EXPECT_TRUE(S_ISCHR(node.st_mode)) << label << ": replaced by a file";
                break;
            }
            case After::NothingThere:
                EXPECT_FALSE(info.isFile()) << label;
                break;
            }
            if (row.after == After::ReaderGotPdf) {
                struct stat node {};
                ::lstat(path.toLocal8Bit().constData(), &node);
                EXPECT_TRUE(S_ISFIFO(node.st_mode)) << label << ": the FIFO was replaced";
            }
            if (row.linkStays) {
                EXPECT_TRUE(info.isSymLink()) << label << ": the link was replaced";
            }
            if (QFileInfo(targetFolder).isDir()) {
                EXPECT_EQ(Strays(targetFolder), QStringList()) << label << ": temporaries left";
            }
            // Unmounted and writable again before the row's folder goes, so nothing stays behind.
            mounts.clear();
            ::chmod(QFile::encodeName(folder.filePath("locked")).constData(), 0755);
        }
    }
    std::printf("destination cases: %d tried, %d skipped\n", tried, skipped);
    EXPECT_GT(tried, 0);
}

// With no queue and no --pdf, pages go to new files in the documents folder; jobs in the same
// second, or a file of that name made meanwhile, never lose an earlier page.
TEST(PrintDestinations, AutomaticFileNamesNeverOverwriteAnEarlierJobsFile) {
    for (const Program& program : kPrograms) {
        QTemporaryDir home;
        QStringList delivered;
        for (int job = 0; job < 3; ++job) {
            const ProgramRun run =
                RunProgram(program.name, {"--print"},
                           {{"HOME", home.path()}, {"XDG_STATE_HOME", home.filePath("state")}});
            ASSERT_EQ(run.exitCode, 0) << program.name << ": " << run.err.toStdString();
            const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
            // The path once, on the message's second line, where scripts find it.
            ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
            EXPECT_EQ(lines[0],
                      QStringLiteral("[%1] 1 page(s) sent to printer").arg(program.title));
            EXPECT_TRUE(lines[1].startsWith(home.filePath("Documents/") + program.name + "-"));
            delivered << lines[1];
        }
        delivered.removeDuplicates();
        EXPECT_EQ(delivered.size(), 3) << program.name;
        for (const QString& path : delivered)
            EXPECT_TRUE(IsCompletePdf(ReadAll(path))) << path.toStdString();
    }
}

} // namespace
} // namespace quillset::test
