// The letter printed to a real CUPS queue: a private cupsd of our own whose queue writes its jobs
// to a file, reached through CUPS_SERVER.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>

namespace quillset {
namespace {

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QThread::msleep(50);
    }
    return true;
}

void writeFile(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

class CupsQueueTest : public testing::Test {
protected:
    void SetUp() override {
        const QString d = root.path();
        for (const char* folder : {"spool", "tmp", "cache", "state", "out"})
            ASSERT_TRUE(QDir(d).mkpath(folder));
        // The queue's filters run as the spooler's own user.
        QFile::setPermissions(d + "/out", QFileDevice::Permissions(0x7777));
        QFile::setPermissions(d + "/tmp", QFileDevice::Permissions(0x7777));
        socket = d + "/cups.sock";
        writeFile(d + "/cupsd.conf",
                  "Listen " + socket +
                      "\nLogLevel warn\nWebInterface No\n"
                      "<Location />\nOrder allow,deny\nAllow all\n</Location>\n");
        writeFile(d + "/cups-files.conf",
                  "FileDevice Yes\nServerRoot " + d + "\nRequestRoot " + d + "/spool\nTempDir " +
                      d + "/tmp\nCacheDir " + d + "/cache\nStateDir " + d + "/state\nErrorLog " +
                      d + "/error_log\nAccessLog " + d + "/access_log\nPageLog " + d +
                      "/page_log\nSandboxing Relaxed\n");
        cupsd.start("cupsd", {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
        ASSERT_TRUE(cupsd.waitForStarted(10000)) << "cupsd (package cups) is needed";
        ASSERT_TRUE(waitFor([&] { return QFile::exists(socket); }, 10000));
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CUPS_SERVER", socket);
        environment.insert("QUILLSET_UNATTENDED", "1");
        QProcess lpadmin;
        lpadmin.setProcessEnvironment(environment);
        lpadmin.start("lpadmin", {"-p", "QuillsetTest", "-E", "-v", "file://" + jobFile(), "-m",
                                  "drv:///sample.drv/generic.ppd"});
        ASSERT_TRUE(lpadmin.waitForFinished(30000));
        ASSERT_EQ(lpadmin.exitCode(), 0) << lpadmin.readAllStandardError().toStdString();
    }
    void TearDown() override {
        cupsd.terminate();
        cupsd.waitForFinished(10000);
    }
    QString jobFile() const { return root.path() + "/out/job.out"; }

    QTemporaryDir root;
    QString socket;
    QProcess cupsd;
    QProcessEnvironment environment;
};

TEST_F(CupsQueueTest, TheLetterGoesToTheQueueNamedInTheEnvironmentAsOnePage) {
    environment.insert("QUILLSET_PRINTER", "QuillsetTest");
    QProcess quotation;
    quotation.setProcessEnvironment(environment);
    quotation.start(QUILLSET_BIN_DIR "/quotation", {"--print"});
    ASSERT_TRUE(quotation.waitForFinished(60000));
    EXPECT_EQ(quotation.exitCode(), 0) << quotation.readAllStandardError().toStdString();
    EXPECT_EQ(QString::fromUtf8(quotation.readAllStandardOutput()).trimmed(),
              "[QUOTATION] 1 page(s) sent to printer");

    // The spooler converts the page for its generic PostScript driver and writes it out; the job
    // is done when no job is pending any more.
    const auto pendingJobs = [&] {
        QProcess lpstat;
        lpstat.setProcessEnvironment(environment);
        lpstat.start("lpstat", {"-o"});
        lpstat.waitForFinished(10000);
        return lpstat.readAllStandardOutput();
    };
    ASSERT_TRUE(waitFor([&] { return QFile::exists(jobFile()) && pendingJobs().isEmpty(); }, 60000))
        << "no job arrived";
    QFile job(jobFile());
    ASSERT_TRUE(job.open(QIODevice::ReadOnly));
    const QByteArray postScript = job.readAll();
    EXPECT_TRUE(postScript.startsWith("%!PS"));
    EXPECT_TRUE(postScript.contains("%%Page: 1 1\n")) << "the page";
    EXPECT_TRUE(postScript.contains("%%Pages: 1\n")) << "one page only";
}

} // namespace
} // namespace quillset
