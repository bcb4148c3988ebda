#pragma once

#include "unzip32/unzip32.h"

#include <cerrno>
#include <cstdint>
#include <string>

namespace quillset::unzip32 {

// Something that went wrong with one entry or the whole unpack: its result code and its text.
struct Problem {
    std::int32_t code = UZ_OK;
    std::string text;

    explicit operator bool() const { return code != UZ_OK; }
};

// What a step that makes a value answers: the value, valid only when `problem` is false.
template <typename T> struct Made {
    T value;
    Problem problem;
};

// Problem with the text of `error` appended.
Problem ErrnoProblem(std::int32_t code, const std::string& what, int error = errno);

// The more serious of two result codes, so an unpack answers its worst trouble.
std::int32_t MoreSerious(std::int32_t a, std::int32_t b);

} // namespace quillset::unzip32
