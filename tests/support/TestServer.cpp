#include "tests/support/TestServer.h"

#include "tests/support/Files.h"

#include <QThread>
#include <csignal>
#include <map>
#include <stdexcept>
#include <sys/prctl.h>
#include <utility>

namespace quillset::test {
namespace {

// The Python origin alone runs as it always did; anything with nginx or squid goes through the
// script that configures, starts and stops them.
QStringList ServerCommand(const std::filesystem::path& root, const ServerSetup& setup,
                          const QString& log) {
    const QString folder = QStringLiteral(QUILLSET_SOURCE_DIR "/tests/updater/");
    const QStringList common{QStringLiteral("--root"), PathText(root),
                             QStringLiteral("--port"), QString::number(setup.port),
                             QStringLiteral("--log"),  log};
    if (setup.origin == Origin::Python && !setup.cache)
        return QStringList{folder + "update_server.py"} + common + setup.arguments;
    QStringList command = QStringList{folder + "server_stack.py"} + common;
    command << "--origin" << (setup.origin == Origin::Nginx ? "nginx" : "python");
    if (setup.cache)
        command << "--cache";
    if (setup.rate > 0)
        command << "--rate" << QString::number(setup.rate);
    if (!setup.ranges)
        command << "--no-ranges";
    if (!setup.arguments.isEmpty())
        command << "--" << setup.arguments;
    return command;
}

// A log field's value: nginx writes '"', '\', control characters and bytes past ASCII as \xHH,
// and so does the Python origin.
std::string Unescaped(const QByteArray& text) {
    std::string value;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool isHex = false;
        const int byte = text.mid(i, 2) == "\\x" ? text.mid(i + 2, 2).toInt(&isHex, 16) : 0;
        if (isHex && i + 3 < text.size()) {
            value += char(byte);
            i += 3;
        } else {
            value += text[i];
        }
    }
    return value;
}

OriginRequest ParseRequest(const QByteArray& line) {
    const QList<QByteArray> fields = line.split('\t');
    const qsizetype space = fields[0].indexOf(' ');
    OriginRequest request;
    request.method = Unescaped(fields[0].left(space));
    request.path = Unescaped(fields[0].mid(space + 1));
    const std::map<QByteArray, std::string*> texts{{"range", &request.range},
                                                   {"if-range", &request.ifRange},
                                                   {"cache-control", &request.cacheControl},
                                                   {"user-agent", &request.userAgent}};
    const std::map<QByteArray, long long*> numbers{
        {"bytes", &request.bodyBytes},
        {"connection", &request.connection},
        {"connection-requests", &request.connectionRequests}};
    for (const QByteArray& field : fields.mid(1)) {
        const qsizetype equals = field.indexOf('=');
        const QByteArray name = field.left(equals);
        const QByteArray value = field.mid(equals + 1);
        if (name == "status")
            request.status = value.toInt();
        else if (texts.contains(name))
            *texts.at(name) = Unescaped(value);
        else if (numbers.contains(name))
            *numbers.at(name) = value.toLongLong();
    }
    return request;
}

} // namespace

TestServer::TestServer(const std::filesystem::path& root, const QStringList& arguments, int port)
    : TestServer(root, ServerSetup{.arguments = arguments, .port = port}) {}

TestServer::TestServer(const std::filesystem::path& root, const ServerSetup& setup) {
    if (!scratch_.isValid())
        throw std::runtime_error("no scratch folder for the test server");
    log_ = scratch_.filePath(QStringLiteral("origin.log"));
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes leaves no server behind.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.start(QStringLiteral("python3"), ServerCommand(root, setup, log_));
    // The server prints its port once it answers there; one that cannot start says why on
    // standard error and ends.
    while (process_.waitForReadyRead(30'000) || process_.canReadLine()) {
        if (!process_.canReadLine())
            continue;
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("PORT ")) {
            port_ = line.mid(5).toInt();
            return;
        }
    }
    // Ended as in the destructor, so that nothing it started stays behind.
    process_.terminate();
    process_.waitForFinished(10'000);
    throw std::runtime_error("the test server did not start (its reason is on standard error)");
}

TestServer::~TestServer() {
    // Asked to end, the script stops nginx and squid and removes their folders.
    process_.terminate();
    if (!process_.waitForFinished(10'000)) {
        process_.kill();
        process_.waitForFinished(5'000);
    }
}

QString TestServer::address(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path);
}

std::vector<OriginRequest> TestServer::originRequests(const QString& name) const {
    // The origin writes a line once an answer has ended, which can be just after the client
    // had its last byte.
    QByteArray text = ReadAll(log_);
    QByteArray before;
    for (int i = 0; i < 40 && (i == 0 || text != before); ++i) {
        QThread::msleep(50);
        before = std::exchange(text, ReadAll(log_));
    }
    std::vector<OriginRequest> requests;
    for (const QByteArray& line : text.split('\n')) {
        if (line.isEmpty())
            continue;
        OriginRequest request = ParseRequest(line);
        const std::string& path = request.path;
        if (name.isEmpty() || path.substr(path.rfind('/') + 1) == name.toStdString())
            requests.push_back(std::move(request));
    }
    return requests;
}

long long TestServer::originBodyBytes(const QString& name) const {
    long long bytes = 0;
    for (const OriginRequest& request : originRequests(name))
        bytes += request.bodyBytes;
    return bytes;
}

} // namespace quillset::test
