#pragma once

#include "unzip32/unzip32.h"

#include <string>
#include <vector>

namespace quillset::unzip32 {

// Answers libarchive's passphrase requests for one entry from the password callback: asked
// again after each wrong password until the callback has none, repeats one that already
// failed, or has had ten tries (libarchive would otherwise ask for ever).
class PasswordAsker {
public:
    explicit PasswordAsker(UnzipPasswordFunction ask) : ask_(ask) {}

    // A new entry: its name for the callback, and a clean slate.
    void startEntry(const std::string& shownName);
    // The next password to try, or nullptr when there is none; libarchive copies it.
    const char* next();

    // Whether libarchive asked for a password for this entry, whether the callback answered
    // that it has none, and whether any was tried.
    bool asked() const { return asked_; }
    bool declined() const { return declined_; }
    bool triedAny() const { return !tried_.empty(); }

private:
    UnzipPasswordFunction ask_;
    std::string entryName_;
    std::vector<std::string> tried_;
    std::string current_;
    bool asked_ = false;
    bool declined_ = false;
    bool exhausted_ = false;
};

} // namespace quillset::unzip32
