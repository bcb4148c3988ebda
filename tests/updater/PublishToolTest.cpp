#include "QtPrinters.h"
#include "VersionFile.h"

#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace quillset {
namespace {

namespace fs = std::filesystem;

struct Publication {
    int exitCode = -1;
    QString errors;
};

Publication publish(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral(QUILLSET_SOURCE_DIR "/tools/publish/publish-module.sh"), arguments);
    tool.waitForFinished(30'000);
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError())};
}

class PublishTool : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(module());
        std::ofstream(module() / "EDITOR.EXE") << "#!/bin/sh\n";
        std::ofstream(module() / "NOTES.TXT") << "notes\n";
    }
    fs::path module() const { return fs::path(root.path().toStdString()) / "module"; }
    fs::path server() const { return fs::path(root.path().toStdString()) / "server"; }
    QString text(const fs::path& path) const { return QString::fromStdString(path.string()); }

    QTemporaryDir root;
};

TEST_F(PublishTool, WritesAVersionFileTheAgentReadsAndAnArchive) {
    const Publication done = publish({"editor", "2.75", text(module()), text(server())});
    ASSERT_EQ(done.exitCode, 0) << done.errors.toStdString();
    EXPECT_EQ(ReadVersionFile(server() / "EDITOR.VER"), 2.75f);
    QProcess list;
    list.start("unzip", {"-Z1", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(list.waitForFinished(10'000));
    QStringList entries =
        QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    entries.sort();
    EXPECT_EQ(entries, (QStringList{"EDITOR.EXE", "NOTES.TXT"}));
}

TEST_F(PublishTool, PasswordProtectsTheArchive) {
    ASSERT_EQ(
        publish({"--password", "Quill#53", "EDITOR", "3", text(module()), text(server())}).exitCode,
        0);
    // Without the password the entries cannot be read; with it they test sound.
    QProcess without;
    without.start("unzip", {"-t", "-P", "wrong", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(without.waitForFinished(10'000));
    EXPECT_NE(without.exitCode(), 0);
    QProcess with;
    with.start("unzip", {"-t", "-P", "Quill#53", text(server() / "EDITOR.ZIP")});
    ASSERT_TRUE(with.waitForFinished(10'000));
    EXPECT_EQ(with.exitCode(), 0);
}

TEST_F(PublishTool, RefusesWhatTheAgentCouldNotUse) {
    const struct {
        const char* name;
        QStringList arguments;
    } cases[] = {
        {"DottedVersion", {"EDITOR", "1.2.3", text(module()), text(server())}},
        {"VersionWithoutNumber", {"EDITOR", "new", text(module()), text(server())}},
        {"NameWithPath", {"../EDITOR", "2", text(module()), text(server())}},
        {"NoProgramFile", {"OTHER", "2", text(module()), text(server())}},
        {"MissingArgument", {"EDITOR", "2", text(module())}},
    };
    for (const auto& c : cases) {
        EXPECT_NE(publish(c.arguments).exitCode, 0) << c.name;
        EXPECT_FALSE(fs::exists(server() / "EDITOR.VER")) << c.name;
    }
}

} // namespace
} // namespace quillset
