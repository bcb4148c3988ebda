#include "ArchiveComment.h"

#include "Destination.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace quillset::unzip32 {

namespace {

constexpr std::size_t kRecordSize = 22; // end-of-central-directory record without comment
constexpr std::size_t kLongestComment = 65535;

} // namespace

std::string ReadArchiveComment(const std::string& path) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!file.valid() || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    const auto fileSize = static_cast<std::uint64_t>(status.st_size);
    if (fileSize < kRecordSize)
        return {};
    const std::size_t tailSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kRecordSize + kLongestComment));
    std::vector<unsigned char> tail(tailSize);
    if (pread(file.get(), tail.data(), tailSize, static_cast<off_t>(fileSize - tailSize)) !=
        static_cast<ssize_t>(tailSize))
        return {};
    // The last record whose comment length reaches exactly to the end of the file.
    for (std::size_t at = tailSize - kRecordSize + 1; at-- > 0;) {
        if (tail[at] != 'P' || tail[at + 1] != 'K' || tail[at + 2] != 5 || tail[at + 3] != 6)
            continue;
        const std::size_t length = tail[at + 20] | (tail[at + 21] << 8);
        if (at + kRecordSize + length == tailSize) {
            const auto* start = reinterpret_cast<const char*>(tail.data() + at + kRecordSize);
            return std::string(start, length);
        }
    }
    return {};
}

} // namespace quillset::unzip32
