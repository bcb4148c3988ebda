#include "tests/support/TestServer.h"

#include <stdexcept>

namespace quillset::test {

TestServer::TestServer(const std::filesystem::path& root, const QStringList& arguments, int port) {
    QStringList all{QStringLiteral(QUILLSET_SOURCE_DIR "/tests/updater/update_server.py"),
                    QStringLiteral("--root"), QString::fromStdString(root.string()),
                    QStringLiteral("--port"), QString::number(port)};
    all += arguments;
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("python3"), all);
    // The server prints its port once it listens; a busy fixed port makes it exit instead.
    while (process_.waitForReadyRead(10'000) || process_.canReadLine()) {
        if (!process_.canReadLine())
            continue;
        const QByteArray line = process_.readLine().trimmed();
        if (line.startsWith("PORT ")) {
            port_ = line.mid(5).toInt();
            return;
        }
    }
    throw std::runtime_error("the test server did not start");
}

TestServer::~TestServer() {
    process_.kill();
    process_.waitForFinished(5'000);
}

QString TestServer::address(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path);
}

} // namespace quillset::test
