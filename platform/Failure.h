#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace quillset {

// An operation of the programs that could not be done; the text says what and why. Each layer
// throws its own kind, and the seam that reports it catches this one.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws a Kind "WHAT SUBJECT: <the system's reason for error>".
template <typename Kind = Failure>
[[noreturn]] void ThrowErrno(const std::string& what, const std::filesystem::path& subject,
                             int error = errno) {
    static_assert(std::is_base_of_v<Failure, Kind>);
    throw Kind(what + " " + subject.string() + ": " + std::strerror(error));
}

} // namespace quillset
