#pragma once

#include "tests/transfer/TestServer.h"
#include "tests/updater/AgentRun.h"
#include "tests/updater/QtPrinters.h"

#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace quillset::testing {

namespace fs = std::filesystem;

// The agent under test and the port of the server it was built for. A ctest entry may name
// another build of the agent, on a port of its own, so that parts of one test program run side by
// side (cmake/QuillsetTesting.cmake).
inline const QString kProgram =
    qEnvironmentVariable("QUILLSET_TEST_AGENT", QStringLiteral(TLUPDATER_E2E_PROGRAM));
inline const int kAgentPort = qEnvironmentVariableIsSet("QUILLSET_TEST_AGENT_PORT")
                                  ? qEnvironmentVariableIntValue("QUILLSET_TEST_AGENT_PORT")
                                  : TLUPDATER_E2E_PORT;
// The archive password the test program was built with (the build's default).
inline constexpr const char* kArchivePassword = TLUPDATER_E2E_PASSWORD;

inline void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A module program for the tests: a script named EDITOR.EXE that appends its version to
// STARTED.TXT in its folder, so a test can tell which program ran.
inline void writeModuleProgram(const fs::path& folder, const std::string& version) {
    fs::create_directories(folder);
    const fs::path program = folder / "EDITOR.EXE";
    writeFile(program, "#!/bin/sh\necho " + version + " >> \"$(dirname \"$0\")/STARTED.TXT\"\n");
    fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
}

// The real program, built with the address of a server on this test's fixed port.
class AgentEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(moduleFolder()); }
    // On the port the agent was built for: the test build's unless told otherwise.
    void startServer(const QStringList& rules = {}, int port = kAgentPort) {
        server = std::make_unique<TestServer>(serverFolder(), rules, port);
    }
    fs::path serverFolder() const { return serverRoot.path().toStdString(); }
    fs::path moduleFolder() const { return fs::path(moduleRoot.path().toStdString()) / "Apps Dir"; }
    QStringList commandLine(const char* version) const {
        return {QStringLiteral("editor"), QString::fromUtf8(version),
                QString::fromStdString(moduleFolder().string()).replace(' ', '%')};
    }
    AgentRun runAgent(const char* version, const QStringList& environment = {}) const {
        return RunAgent(kProgram, commandLine(version),
                        QStringList{"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so"} +
                            environment);
    }
    // Publishes `module` as version `version` on the server with the project's tool.
    void publish(const fs::path& module, const char* version,
                 const char* password = kArchivePassword) const {
        publishTo(serverFolder(), "EDITOR", module, version,
                  password ? QStringList{"--password", password} : QStringList{});
    }
    // Publishes `module` as `name` `version` into `output`, with the tool's `options`.
    static void publishTo(const fs::path& output, const char* name, const fs::path& module,
                          const char* version, const QStringList& options) {
        QStringList arguments = options;
        arguments << name << version << QString::fromStdString(module.string())
                  << QString::fromStdString(output.string());
        QProcess tool;
        tool.start(QStringLiteral(QUILLSET_SOURCE_DIR "/tools/publish/publish-module.sh"),
                   arguments);
        ASSERT_TRUE(tool.waitForFinished(30'000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    }
    // What the started module programs wrote, waiting a little for a detached start.
    std::string startedVersions(const std::string& expected) const {
        const fs::path marker = moduleFolder() / "STARTED.TXT";
        for (int i = 0; i < 50 && readAll(marker) != expected; ++i)
            QThread::msleep(100);
        return readAll(marker);
    }

    QTemporaryDir serverRoot;
    QTemporaryDir moduleRoot;
    std::unique_ptr<TestServer> server;
};

} // namespace quillset::testing
