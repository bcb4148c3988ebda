#include "unzip32/ArchiveComment.h"

#include "unzip32/CentralDirectory.h"
#include "unzip32/Destination.h"

#include <fcntl.h>

namespace quillset::unzip32 {

std::string ReadArchiveComment(const std::string& path) {
    UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid())
        return {};
    const std::optional<EndRecord> end = ReadEndRecord(file.get());
    return end ? end->comment : std::string();
}

} // namespace quillset::unzip32
