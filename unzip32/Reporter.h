#pragma once

#include "unzip32/Problem.h"
#include "unzip32/unzip32.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillset::unzip32 {

// The engine's messages through the print callback, and the result code they add up to.
class Reporter {
public:
    Reporter(UnzipPrintFunction print, std::int32_t messageLevel)
        : print_(print), messageLevel_(messageLevel) {}

    // A line when the message level reaches `level`: 1 for trouble, 2 for the entry lines.
    // The line end goes as a piece of its own.
    void say(int level, std::string_view utf8Text);
    // Records the problem in the result code and hands it to the print callback as its line and
    // its fields (unzip32.h), naming the entry when there is one.
    void report(const Problem& problem, const std::string& entryName);
    // Bytes as they are, whatever the message level (entry data, the archive comment).
    void printRaw(std::string_view bytes);

    std::int32_t result() const { return result_; }

private:
    UnzipPrintFunction print_;
    std::int32_t messageLevel_;
    std::int32_t result_ = UZ_OK;
};

} // namespace quillset::unzip32
