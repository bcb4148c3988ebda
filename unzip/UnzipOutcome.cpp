#include "unzip/UnzipOutcome.h"

#include "platform/CodePage.h"
#include "unzip32/ProblemLine.h"
#include "unzip32/unzip32.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace quillset {

QString UnzipProblem::text() const {
    return ProblemLine(code, entry, reason);
}

bool UnzipOutcome::succeeded() const {
    return result == UZ_OK || result == UZ_WARNING;
}

QString UnzipOutcome::summary() const {
    const UnzipProblem* told = nullptr;
    for (const UnzipProblem& problem : problems) {
        if (!told || problem.code != UZ_WARNING || told->code == UZ_WARNING)
            told = &problem;
    }
    return QStringLiteral("the engine answered %1: %2")
        .arg(result)
        .arg(told ? told->text() : QString());
}

std::optional<UnzipProblem> ReadProblemPiece(const char* buffer, std::uint32_t length) {
    if (!buffer)
        return std::nullopt;
    const std::string_view piece(buffer, length);
    const std::size_t lineEnd = piece.find('\0');
    if (lineEnd == std::string_view::npos)
        return std::nullopt;
    std::vector<std::string_view> fields;
    for (std::size_t start = lineEnd + 1; start < piece.size();) {
        const std::size_t end = piece.find('\0', start);
        if (end == std::string_view::npos)
            return std::nullopt;
        fields.push_back(piece.substr(start, end - start));
        start = end + 1;
    }
    if (fields.size() != 4 || fields[0] != UZ_PROBLEM_MARK)
        return std::nullopt;
    const auto ansi = [](std::string_view text) {
        return AnsiToString(text.data(), static_cast<qsizetype>(text.size()));
    };
    bool isNumber = false;
    const int code = ansi(fields[1]).toInt(&isNumber);
    if (!isNumber)
        return std::nullopt;
    return UnzipProblem{code, ansi(fields[2]), ansi(fields[3])};
}

} // namespace quillset
