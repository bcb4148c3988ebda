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
    // The file's strong ETag, else its Last-Modified date: what a later If-Range names.
    std::string validator;

    std::uint64_t length() const { return last - first + 1; }
};

// What a piece must be a piece of: the file as first seen, its validator (sent as If-Range, so a
// server whose file has changed answers with all of it instead) and its length (0: not known).
struct RangeCondition {
    std::string validator;
    std::uint64_t total = 0;
};

// Takes what one header line says about the piece into `answer`. A status line starts the
// answer afresh: the headers of a redirect come before those of the answer.
void ReadRangeHeader(std::string_view line, RangeAnswer& answer);

// Why an answer with HTTP `status` is not exactly the piece `asked`, of a file of `total` bytes
// when that is known (not 0); empty when it is. A server that answers a range with the whole
// file (200) answers so.
QString RangeAnswerProblem(const ByteRange& asked, long status, const RangeAnswer& answer,
                           std::uint64_t total);

} // namespace quillset
