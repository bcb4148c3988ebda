#pragma once

#include "platform/ScriptedDialogs.h"
#include "tests/support/Files.h"
#include "tests/support/MakeArchive.h"
#include "tests/support/RunTool.h"
#include "tests/support/Scratch.h"
#include "unzip/CGUnzipFiles.h"
#include "unzip/CodeModule.h"

#include <functional>
#include <gtest/gtest.h>

namespace quillset::test {

// One agent-side unpack set-up: scripted dialogs, the agent's password and a CodeModule.
class UnzipFixture : public ::testing::Test {
protected:
    // Unpacks `archive` into the scratch dest/ with default settings changed by `configure`.
    std::int32_t unzip(const fs::path& archive,
                       const std::function<void(CGUnzipFiles&)>& configure = {}) {
        CGUnzipFiles files(module);
        if (configure)
            configure(files);
        return files.Unzip(scratch.text(archive), scratch.text(scratch.dest()));
    }

    // An archive of a make_archive.py kind in the scratch root.
    fs::path archiveOf(const std::string& kind) {
        const fs::path path = scratch.root() / (kind + ".zip");
        EXPECT_TRUE(MakeArchive(kind, path)) << kind;
        return path;
    }

    Scratch scratch;
    ScriptedDialogs dialogs;
    QString password;
    CodeModule module{dialogs, password};
};

} // namespace quillset::test
