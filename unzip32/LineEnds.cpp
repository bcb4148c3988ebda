#include "unzip32/LineEnds.h"

namespace quillset::unzip32 {

std::string CrLfConverter::convert(std::string_view block) {
    std::string out;
    out.reserve(block.size() + block.size() / 16);
    for (char ch : block) {
        if (pendingCr_ && ch != '\n')
            out += '\n';
        if (ch == '\n' && !pendingCr_)
            out += '\r';
        out += ch;
        pendingCr_ = ch == '\r';
    }
    return out;
}

std::string CrLfConverter::finish() {
    const bool owed = pendingCr_;
    pendingCr_ = false;
    return owed ? "\n" : "";
}

bool LooksLikeText(std::string_view firstBlock) {
    return firstBlock.find('\0') == std::string_view::npos;
}

} // namespace quillset::unzip32
