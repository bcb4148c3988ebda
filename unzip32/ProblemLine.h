#pragma once

#include "unzip32/unzip32.h"

#include <cstdint>

namespace quillset {

// The line a problem is told in, as the engine prints it and its client shows it again:
// "refused: NAME: reason", without the name for the whole unpack. `Text` is the caller's string
// (std::string in the engine, which links no Qt; QString in its client): built from a `const
// char*` and joined with `+`.
template <typename Text>
Text ProblemLine(std::int32_t code, const Text& entry, const Text& reason) {
    Text line = Text(code == UZ_WARNING   ? "warning: "
                     : code == UZ_REFUSED ? "refused: "
                                          : "error: ");
    if (entry.size() > 0)
        line = line + entry + Text(": ");
    return line + reason;
}

} // namespace quillset
