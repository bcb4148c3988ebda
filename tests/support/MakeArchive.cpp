#include "tests/support/MakeArchive.h"

#include "tests/support/RunTool.h"

#include <QTemporaryDir>

namespace quillset::test {

bool MakeArchive(const std::string& kind, const std::filesystem::path& out) {
    // Every kind is written once per test program: one Python start instead of one per test.
    static const QTemporaryDir made;
    static const bool allMade =
        made.isValid() &&
        RunTool(QStringLiteral("python3"),
                {QStringLiteral(QUILLSET_SOURCE_DIR "/tests/unzip/make_archive.py"),
                 QStringLiteral("--all"), made.path()}) == 0;
    const std::filesystem::path source =
        std::filesystem::path(made.path().toStdString()) / (kind + ".zip");
    std::error_code error;
    return allMade && std::filesystem::copy_file(
                          source, out, std::filesystem::copy_options::overwrite_existing, error);
}

} // namespace quillset::test
