#pragma once

#include "platform/ScriptedDialogs.h"
#include "tests/support/AgentServerFixture.h"
#include "tests/support/QtPrinters.h"
#include "tests/updater/RecordingAgentView.h"
#include "tools/hexcipher/HexEncipher.h"
#include "transfer/InternetTransfer.h"
#include "updater/Local.h"
#include "widgets/QtMousePointer.h"

#include <functional>
#include <memory>

namespace quillset::test {

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

// One agent in this process against a real local update server: the server and the module
// folder are AgentServerFixture's.
class AgentFixture : public AgentServerFixture {
protected:
    static constexpr const char* kPassword = "QS-pass8";

    void startServer(const QStringList& rules = {}) {
        startServer(ServerSetup{.arguments = rules});
    }
    void startServer(const ServerSetup& setup) {
        startServerOn(setup);
        makeAgent(server->address(QStringLiteral("updates/")));
    }

    void makeAgent(const QString& address) {
        agent = std::make_unique<Local>(dialogs, pointer, view, transfer,
                                        EncipherStoredValues(address, QLatin1String(kPassword)));
        // The agent's own limits with waits short enough for servers that stall on purpose.
        agent->setTransferLimits(AgentTransferLimits::withWaits(2s));
    }

    // The command line a starting program would write, as one line.
    QString commandLine(const QString& version) const {
        return AgentServerFixture::commandLine(version.toUtf8().constData()).join(QLatin1Char(' '));
    }

    WatchedDialogs dialogs;
    RememberedMousePointer pointer;
    RecordingAgentView view;
    InternetTransfer transfer;
    std::unique_ptr<Local> agent;
};

} // namespace quillset::test
