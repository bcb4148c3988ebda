#pragma once

#include <string>
#include <string_view>

namespace quillset {

// What a program answers to --help and --version.
struct ProgramAbout {
    std::string name;  // as the user types it
    std::string usage; // the whole usage text
};

// When `argument` is --help or --version: writes the usage text, or the program's name and the
// suite's version, on standard output and answers true. Any other argument: false, nothing
// written.
bool AnswerAbout(std::string_view argument, const ProgramAbout& about);

} // namespace quillset
