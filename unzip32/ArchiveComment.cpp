#include "unzip32/ArchiveComment.h"

#include "unzip32/CentralDirectory.h"
#include "unzip32/Destination.h"

#include <fcntl.h>

namespace quillset::unzip32 {

Made<std::string> ReadArchiveComment(const std::string& path) {
    Fd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file)
        return {{}, ErrnoProblem(UZ_NO_ARCHIVE, "cannot open the archive")};
    Made<std::optional<EndRecord>> end = ReadEndRecord(file.get());
    if (end.problem || !end.value)
        return {{}, end.problem};
    return {std::move(end.value->comment), {}};
}

} // namespace quillset::unzip32
