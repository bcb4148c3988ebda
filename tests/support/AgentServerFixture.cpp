#include "tests/support/AgentServerFixture.h"

#include "tests/support/ModuleFixtures.h"

#include <QProcess>

namespace quillset::test {

void AgentServerFixture::SetUp() {
    fs::create_directories(moduleFolder());
}

void AgentServerFixture::startServerOn(const QStringList& rules, int port) {
    startServerOn(ServerSetup{.arguments = rules, .port = port});
}

void AgentServerFixture::startServerOn(const ServerSetup& setup) {
    server = std::make_unique<TestServer>(serverFolder(), setup);
}

fs::path AgentServerFixture::serverFolder() const {
    return serverRoot.path().toStdString();
}

fs::path AgentServerFixture::moduleFolder() const {
    return fs::path(moduleRoot.path().toStdString()) / "Apps Dir";
}

QStringList AgentServerFixture::commandLine(const char* version) const {
    return {QStringLiteral("editor"), QString::fromUtf8(version),
            QString::fromStdString(moduleFolder().string()).replace(' ', '%')};
}

AgentRun AgentServerFixture::runAgentProgram(const QString& program, const char* version,
                                             const QStringList& environment) const {
    return RunAgent(program, commandLine(version),
                    QStringList{"QUILLSET_UNZIP32=" QUILLSET_BIN_DIR "/libunzip32.so"} +
                        environment);
}

void AgentServerFixture::publishTo(const fs::path& output, const char* name, const fs::path& module,
                                   const char* version, const QStringList& options) {
    QStringList arguments = options;
    arguments << name << version << QString::fromStdString(module.string())
              << QString::fromStdString(output.string());
    QProcess tool;
    tool.start(QStringLiteral(QUILLSET_SOURCE_DIR "/tools/publish/publish-module.sh"), arguments);
    ASSERT_TRUE(tool.waitForFinished(30'000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
}

std::string AgentServerFixture::startedVersions(const std::string& expected) const {
    return AwaitStarted(moduleFolder() / "STARTED.TXT", expected);
}

} // namespace quillset::test
