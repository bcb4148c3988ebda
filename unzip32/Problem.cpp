#include "unzip32/Problem.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace quillset::unzip32 {

namespace {

int Rank(std::int32_t code) {
    constexpr std::array<std::int32_t, 9> kLeastToMost = {
        UZ_OK,         UZ_WARNING,   UZ_REFUSED,    UZ_BAD_PASSWORD, UZ_BAD_ARCHIVE,
        UZ_DISK_ERROR, UZ_CANCELLED, UZ_NO_ARCHIVE, UZ_ARGUMENT};
    for (std::size_t i = 0; i < kLeastToMost.size(); ++i) {
        if (kLeastToMost[i] == code)
            return static_cast<int>(i);
    }
    return 0;
}

} // namespace

Problem ErrnoProblem(std::int32_t code, const std::string& what, int error) {
    return Problem{code, what + ": " + std::strerror(error)};
}

std::int32_t MoreSerious(std::int32_t a, std::int32_t b) {
    return Rank(b) > Rank(a) ? b : a;
}

} // namespace quillset::unzip32
