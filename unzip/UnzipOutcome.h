#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace quillset {

// One problem the engine told during an unpack.
struct UnzipProblem {
    std::int32_t code = 0; // the engine's result code for it
    QString entry;         // the entry's name; empty for the whole unpack
    QString reason;

    // As the engine prints it: "refused: NAME: reason".
    QString text() const;
};

// What one unpack came to: the engine's result code and its problems, in the order told.
struct UnzipOutcome {
    std::int32_t result = 0;
    QList<UnzipProblem> problems;

    // Every entry unpacked, at most with a time or mode that could not be restored.
    bool succeeded() const;
    // For a log line: the result code and the last problem that is more than a warning, else the
    // last one.
    QString summary() const;
};

// The problem a print piece of `length` bytes carries after its message line, if it is one.
std::optional<UnzipProblem> ReadProblemPiece(const char* buffer, std::uint32_t length);

} // namespace quillset
