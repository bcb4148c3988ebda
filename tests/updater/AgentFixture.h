#pragma once

#include "platform/ScriptedDialogs.h"
#include "tests/support/Files.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TestServer.h"
#include "tests/updater/RecordingAgentView.h"
#include "tools/hexcipher/HexEncipher.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "widgets/QtMousePointer.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace quillset::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The values the build would store, enciphered the way the build does it.
inline StoredValues EncipherStoredValues(const QString& address, const QString& password) {
    ScriptedDialogs quiet;
    DES_Crypt des(quiet);
    const QString key = QString::fromLatin1(kStoredValuesKey);
    return {EncipherHexText(des, address.leftJustified(48, QLatin1Char(' ')), key),
            EncipherHexText(des, password, key)};
}

// Scripted dialogs that also run `onMessage` as each box shows: a test looks at the module then.
class WatchedDialogs : public ScriptedDialogs {
public:
    MessageAnswer showMessage(const MessageBoxRequest& request) override {
        if (onMessage)
            onMessage();
        return ScriptedDialogs::showMessage(request);
    }
    std::function<void()> onMessage;
};

// One agent against a real local update server: the server's files live in serverFolder(), the
// module in moduleFolder() (a folder whose name has a space in it).
class AgentFixture : public ::testing::Test {
protected:
    static constexpr const char* kPassword = "QS-pass8";

    void SetUp() override {
        ASSERT_TRUE(serverRoot.isValid() && moduleRoot.isValid());
        fs::create_directories(moduleFolder());
    }

    void startServer(const QStringList& rules = {}) {
        startServer(ServerSetup{.arguments = rules});
    }
    void startServer(const ServerSetup& setup) {
        server = std::make_unique<TestServer>(serverFolder(), setup);
        makeAgent(server->address(QStringLiteral("updates/")));
    }

    void makeAgent(const QString& address) {
        agent = std::make_unique<Local>(dialogs, pointer, view, transfer,
                                        EncipherStoredValues(address, QLatin1String(kPassword)));
        // The agent's own limits with waits short enough for servers that stall on purpose.
        agent->setTransferLimits(AgentTransferLimits::withWaits(2s));
    }

    fs::path serverFolder() const { return serverRoot.path().toStdString(); }
    fs::path moduleFolder() const { return fs::path(moduleRoot.path().toStdString()) / "apps dir"; }
    // The command line a starting program would write for the module folder.
    QString commandLine(const QString& version) const {
        QString folder = QString::fromStdString(moduleFolder().string());
        return QStringLiteral("editor ") + version + QLatin1Char(' ') +
               folder.replace(QLatin1Char(' '), QLatin1Char('%'));
    }

    QTemporaryDir serverRoot;
    QTemporaryDir moduleRoot;
    WatchedDialogs dialogs;
    RememberedMousePointer pointer;
    RecordingAgentView view;
    InternetTransfer transfer;
    std::unique_ptr<TestServer> server;
    std::unique_ptr<Local> agent;
};

} // namespace quillset::test
