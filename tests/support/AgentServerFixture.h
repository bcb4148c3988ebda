#pragma once

#include "tests/support/AgentRun.h"
#include "tests/support/Files.h"
#include "tests/support/TestServer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace quillset::test {

// A module folder and the project's update server for runs of a real agent program: the
// server's files live in serverFolder(), the module in moduleFolder() (a folder whose name has a
// space in it). Which program and port a test uses is AgentEndToEnd's part.
class AgentServerFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void startServerOn(const QStringList& rules, int port);
    void startServerOn(const ServerSetup& setup);
    fs::path serverFolder() const;
    fs::path moduleFolder() const;
    // The command line a starting program would write for the module folder.
    QStringList commandLine(const char* version) const;
    // `program` on the module folder with the built engine library and `environment`.
    AgentRun runAgentProgram(const QString& program, const char* version,
                             const QStringList& environment) const;
    // Publishes `module` as `name` `version` into `output`, with the tool's `options`.
    static void publishTo(const fs::path& output, const char* name, const fs::path& module,
                          const char* version, const QStringList& options);
    // What the started module programs wrote, waiting a little for a detached start.
    std::string startedVersions(const std::string& expected) const;

    QTemporaryDir serverRoot;
    QTemporaryDir moduleRoot;
    std::unique_ptr<TestServer> server;
};

} // namespace quillset::test
