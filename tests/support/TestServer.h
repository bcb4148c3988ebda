#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

namespace quillset::test {

// The server that holds the update files.
enum class Origin {
    // The project's update server (tests/updater/update_server.py): no ranges and no validators
    // unless its directives ask for them, and misbehaviour on command.
    Python,
    // nginx with its own configuration: ranges, If-Range, strong ETag, Last-Modified, keep-alive.
    Nginx,
};

// What a TestServer is made of; the default is the Python origin alone on a free port.
struct ServerSetup {
    Origin origin = Origin::Python;
    // squid between: address() names the cache, an accelerator that asks the origin.
    bool cache = false;
    // The Python origin's own arguments: --rule NAME=DIRECTIVE[,DIRECTIVE...].
    QStringList arguments = {};
    // The port address() names; 0 takes a free one.
    int port = 0;
    // nginx sends at most this many body bytes a second on each connection (0: no limit).
    long long rate = 0;
    // false: nginx answers every Range with 200 and the whole body.
    bool ranges = true;
};

// One request as the origin logged it when its answer ended; "-" for a header not sent.
struct OriginRequest {
    std::string method;
    std::string path;
    int status = 0;
    long long bodyBytes = 0; // actually sent
    std::string range;
    std::string ifRange;
    std::string cacheControl;
    std::string userAgent;
    long long connection = 0; // the same number for the requests of one connection
    long long connectionRequests = 0;
};

// The update server of a test, run as child processes on 127.0.0.1 for the life of the object,
// with its configuration, logs and caches in scratch folders of its own (tests/updater/
// server_stack.py starts nginx and squid).
class TestServer {
public:
    // The Python origin; `port` 0 takes a free port. Extra arguments are passed on (--rule).
    explicit TestServer(const std::filesystem::path& root, const QStringList& arguments = {},
                        int port = 0);
    TestServer(const std::filesystem::path& root, const ServerSetup& setup);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT/" followed by `path`.
    QString address(const QString& path = {}) const;

    // The requests that reached the origin, in the order their answers ended; with a `name`,
    // only those for that file (the last segment of the path). Waits until the log is still.
    std::vector<OriginRequest> originRequests(const QString& name = {}) const;
    // Body bytes the origin sent for the file `name` over all its requests.
    long long originBodyBytes(const QString& name) const;

private:
    QTemporaryDir scratch_;
    QString log_;
    QProcess process_;
    int port_ = 0;
};

} // namespace quillset::test
