#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillset {

// One piece of a file on a server, asked for with a Range header.
struct ByteRange {
    // The last `first` bytes when `fromEnd`; otherwise bytes first..last, both included.
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    bool fromEnd = false;

    // The Range header's value: "bytes=0-99" or "bytes=-100".
    std::string header() const;
};

// What a server said of the piece it answered with.
struct RangeAnswer {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t total = 0;
    bool placed = false; // a Content-Range header said where the piece lies
    bool whole = false;  // the server sent the whole file instead, as a condition allowed
    // The file's strong ETag, else its Last-Modified date: what a later If-Range names.
    std::string validator;

    std::uint64_t length() const { return last - first + 1; }
};

// What a piece must be a piece of: the file as first seen, its validator (sent as If-Range, so a
// server whose file has changed answers with all of it instead) and its length (0: not known).
struct RangeCondition {
    std::string validator;
    std::uint64_t total = 0;
    // A server without ranges answers with the whole file (200); where that is welcome it is
    // written instead of the piece, so asking for a piece first costs such a server nothing.
    bool wholeWelcome = false;
};

// Takes what one header line says about the piece into `answer`. A status line starts the
// answer afresh: the headers of a redirect come before those of the answer.
void ReadRangeHeader(std::string_view line, RangeAnswer& answer);

// Why an answer with HTTP `status` is not exactly the piece `asked` under `condition`; empty
// when it is, or when it is the whole file (200) and that is welcome, which marks `answer` whole.
QString RangeAnswerProblem(const ByteRange& asked, long status, RangeAnswer& answer,
                           const RangeCondition& condition);

} // namespace quillset
