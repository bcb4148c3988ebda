#include "updater/Durable.h"

#include <unistd.h>

namespace quillset {

void SyncFileSystem(int folder, const std::string& subject) {
    if (::syncfs(folder) != 0)
        ThrowErrno<SwapError>("cannot flush the file system of", subject);
}

} // namespace quillset
