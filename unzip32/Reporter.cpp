#include "unzip32/Reporter.h"

#include "unzip32/Cp1252.h"
#include "unzip32/ProblemLine.h"

#include <algorithm>

namespace quillset::unzip32 {

void Reporter::say(int level, std::string_view utf8Text) {
    if (messageLevel_ < level)
        return;
    printRaw(Utf8ToCp1252(utf8Text));
    printRaw("\n");
}

void Reporter::report(const Problem& problem, const std::string& entryName) {
    result_ = MoreSerious(result_, problem.code);
    const std::string reason = Utf8ToCp1252(problem.text);
    std::string line;
    if (messageLevel_ >= 1)
        line = ProblemLine(problem.code, entryName, reason);
    std::string piece = line;
    for (const std::string& field :
         {std::string(UZ_PROBLEM_MARK), std::to_string(problem.code), entryName, reason}) {
        piece += '\0';
        piece += field;
    }
    piece += '\0';
    printRaw(piece);
    if (!line.empty())
        printRaw("\n");
}

void Reporter::printRaw(std::string_view bytes) {
    if (!print_)
        return;
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), 1u << 30);
        print_(bytes.data(), static_cast<std::uint32_t>(piece));
        bytes.remove_prefix(piece);
    }
}

} // namespace quillset::unzip32
