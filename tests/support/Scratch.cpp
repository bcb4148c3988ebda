#include "tests/support/Scratch.h"

namespace quillset::test {

Scratch::Scratch() {
    std::filesystem::create_directories(dest());
}

std::filesystem::path Scratch::root() const {
    return std::filesystem::path(dir_.path().toStdString());
}

std::filesystem::path Scratch::dest() const {
    return root() / "dest";
}

QString Scratch::text(const std::filesystem::path& path) const {
    return QString::fromStdString(path.string());
}

} // namespace quillset::test
