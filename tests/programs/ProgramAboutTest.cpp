#include "QuillsetVersion.h"
#include "tests/support/ProgramRun.h"

#include <gtest/gtest.h>

namespace quillset::test {
namespace {

// Each program, with and without a display: the answers come before any window or display.
TEST(ProgramAbout, HelpAndVersionAnswerOnStandardOutputWithExitCodeZero) {
    struct Case {
        const char* program;
        QStringList arguments;
        QString output; // what standard output starts with
    };
    const QString version = QStringLiteral(" (Quillset) ") + kQuillsetVersion + "\n";
    const std::vector<Case> cases = {
        {"quotation", {"--help"}, "Usage: quotation [--print]"},
        {"quotation", {"--version"}, "quotation" + version},
        {"quotation", {"--print", "--help"}, "Usage: quotation [--print]"},
        {"movie", {"--help"}, "Usage: movie [--print]"},
        {"movie", {"--version"}, "movie" + version},
        {"TLUPDATER", {"--help"}, "Usage: TLUPDATER MODULE VERSION FOLDER"},
        {"TLUPDATER", {"--version"}, "TLUPDATER" + version},
    };
    for (const Case& c : cases) {
        const ProgramRun run =
            RunProgram(c.program, c.arguments, {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ""}});
        const std::string name = c.program + (" " + c.arguments.join(' ').toStdString());
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(c.output)) << name << ": " << run.out.toStdString();
        EXPECT_TRUE(run.err.isEmpty()) << name << ": " << run.err.toStdString();
    }
}

// A file named like an option is still a file, and the agent's own command line keeps its
// meaning: only a lone --help or --version is answered.
TEST(ProgramAbout, OptionNamesInTheirPlaceAsValuesAreNotAnswered) {
    const ProgramRun pdfNamedHelp = RunProgram("quotation", {"--print", "--printer", "--help"});
    EXPECT_EQ(pdfNamedHelp.exitCode, 1) << "a queue named --help does not exist";
    EXPECT_FALSE(pdfNamedHelp.out.contains("Usage:"));

    const ProgramRun agent =
        RunProgram("TLUPDATER", {"--help", "2.5", "/nonexistent"}, {{"QUILLSET_UNATTENDED", "1"}});
    EXPECT_FALSE(agent.out.contains("Usage:")) << agent.out.toStdString();
}

} // namespace
} // namespace quillset::test
