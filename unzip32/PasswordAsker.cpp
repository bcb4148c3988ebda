#include "unzip32/PasswordAsker.h"

#include <algorithm>

namespace quillset::unzip32 {

namespace {

constexpr int kPasswordBufferSize = 256;
constexpr std::size_t kMostTries = 10;

} // namespace

void PasswordAsker::startEntry(const std::string& shownName) {
    entryName_ = shownName;
    tried_.clear();
    asked_ = false;
    declined_ = false;
    exhausted_ = false;
}

const char* PasswordAsker::next() {
    asked_ = true;
    if (!ask_ || declined_ || exhausted_ || tried_.size() >= kMostTries)
        return nullptr;
    char buffer[kPasswordBufferSize] = {};
    const char* prompt = tried_.empty() ? "Password: " : "Wrong password, try again: ";
    if (ask_(buffer, kPasswordBufferSize, prompt, entryName_.c_str()) != UZ_PASSWORD_GIVEN) {
        declined_ = true;
        return nullptr;
    }
    buffer[kPasswordBufferSize - 1] = '\0';
    std::string password(buffer);
    if (std::find(tried_.begin(), tried_.end(), password) != tried_.end()) {
        exhausted_ = true;
        return nullptr;
    }
    tried_.push_back(password);
    current_ = std::move(password);
    return current_.c_str();
}

} // namespace quillset::unzip32
