#pragma once

#include <QString>
#include <QTemporaryDir>
#include <filesystem>

namespace quillset::test {

// A scratch folder for one test: archives go in its root, extraction into dest/.
class Scratch {
public:
    Scratch();
    std::filesystem::path root() const;
    std::filesystem::path dest() const;
    QString text(const std::filesystem::path& path) const;

private:
    QTemporaryDir dir_;
};

} // namespace quillset::test
