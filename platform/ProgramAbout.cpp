#include "platform/ProgramAbout.h"

#include "QuillsetVersion.h"

#include <cstdio>

namespace quillset {

bool AnswerAbout(std::string_view argument, const ProgramAbout& about) {
    if (argument == "--help") {
        std::fputs(about.usage.c_str(), stdout);
        if (!about.usage.empty() && about.usage.back() != '\n')
            std::fputc('\n', stdout);
    } else if (argument == "--version") {
        std::printf("%s (Quillset) %s\n", about.name.c_str(), kQuillsetVersion);
    } else {
        return false;
    }
    std::fflush(stdout);
    return true;
}

} // namespace quillset
