#pragma once

// The real agent program end to end.

#include "tests/support/AgentServerFixture.h"
#include "tests/support/ModuleFixtures.h"
#include "tests/support/QtPrinters.h"

namespace quillset::test {

// The agent under test and the port of the server it was built for: each ctest entry names a
// test build of its own, on a port of its own, so that parts of one test program run side by
// side; run by hand, the program takes its first entry's (quillset_give_test_agents).
inline const QString kProgram = qEnvironmentVariable("QUILLSET_TEST_AGENT");
inline const int kAgentPort = qEnvironmentVariableIntValue("QUILLSET_TEST_AGENT_PORT");
// The archive password the test builds were made with.
inline constexpr const char* kArchivePassword = TLUPDATER_E2E_PASSWORD;

class AgentEndToEnd : public AgentServerFixture {
protected:
    // On the port the agent was built for: the test build's unless told otherwise.
    void startServer(const QStringList& rules = {}, int port = kAgentPort) {
        startServerOn(rules, port);
    }
    // nginx, squid or both (`setup`), on the agent's port.
    void startServer(ServerSetup setup) {
        setup.port = kAgentPort;
        startServerOn(setup);
    }
    AgentRun runAgent(const char* version, const QStringList& environment = {}) const {
        return runAgentProgram(kProgram, version, environment);
    }
    // Publishes `module` as version `version` on the server with the project's tool.
    void publish(const fs::path& module, const char* version,
                 const char* password = kArchivePassword) const {
        publishTo(serverFolder(), "EDITOR", module, version,
                  password ? QStringList{"--password", password} : QStringList{});
    }
};

} // namespace quillset::test
