#pragma once

#include <string>
#include <string_view>

namespace quillset::unzip32 {

// Turns lone CR and lone LF line ends into CR LF, a block at a time (a CR LF pair may be split
// between two blocks).
class CrLfConverter {
public:
    std::string convert(std::string_view block);
    // What is still owed once the data has ended.
    std::string finish();

private:
    bool pendingCr_ = false;
};

// Text is data with no NUL byte in its first block, as a text/binary guess.
bool LooksLikeText(std::string_view firstBlock);

} // namespace quillset::unzip32
