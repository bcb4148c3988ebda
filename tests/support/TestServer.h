#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <filesystem>

namespace quillset::test {

// The project's update server (tests/updater/update_server.py) run as a child process on
// 127.0.0.1 for the life of the object.
class TestServer {
public:
    // `port` 0 takes a free port. Extra arguments are passed on (--rule, --log).
    explicit TestServer(const std::filesystem::path& root, const QStringList& arguments = {},
                        int port = 0);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const { return port_; }
    // "http://127.0.0.1:PORT/" followed by `path`.
    QString address(const QString& path = {}) const;

private:
    QProcess process_;
    int port_ = 0;
};

} // namespace quillset::test
