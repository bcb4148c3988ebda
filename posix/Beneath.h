#pragma once

#include "posix/FileDescriptor.h"

#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quillset {

// File work below an open folder. Every `path` here is relative to `folder`: no leading "/", no
// empty, "." or ".." parts. Not one link is followed on the way, the last part included, and no
// way leads onto another mount, so a link or a mount planted below the folder cannot send the
// work outside it. A path that breaks these rules fails with EINVAL for its shape, ELOOP for a
// link on the way and EXDEV for a mount. As in FileDescriptor.h, `TryX` answers a SystemResult
// and `X` throws.

// The folder itself, by its full path: a link given as the folder is followed, as installs
// point a stable name at a versioned folder.
SystemResult<Fd> TryOpenFolder(const std::string& path);
inline Fd OpenFolder(const std::string& path) {
    return OrThrow(TryOpenFolder(path));
}
// The same, making the folder and its missing parents first (mode 0755), as `mkdir -p` does: for
// a caller that names a folder to fill.
SystemResult<Fd> TryMakeAndOpenFolder(const std::string& path);
// True while `path` (a link followed, as above) leads to the open file or folder `fd`.
bool LeadsTo(const std::string& path, int fd);

// openat2 with RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV, or the walk part by part
// where the kernel lacks it or a sandbox refuses it.
SystemResult<Fd> TryOpenBeneath(int folder, const std::string& path, int flags, mode_t mode = 0);
inline Fd OpenBeneath(int folder, const std::string& path, int flags, mode_t mode = 0) {
    return OrThrow(TryOpenBeneath(folder, path, flags, mode));
}
// The same walk one part at a time with O_NOFOLLOW and a mount check at each part.
SystemResult<Fd> TryOpenByParts(int folder, const std::string& path, int flags, mode_t mode = 0);

// Opens a file without ever blocking (a FIFO or a device at the name answers at once) and
// refuses anything but a regular file (EINVAL). The descriptor then blocks as usual.
SystemResult<Fd> TryOpenFileBeneath(int folder, const std::string& path, int flags = O_RDONLY,
                                    mode_t mode = 0);
inline Fd OpenFileBeneath(int folder, const std::string& path, int flags = O_RDONLY,
                          mode_t mode = 0) {
    return OrThrow(TryOpenFileBeneath(folder, path, flags, mode));
}
// A new, empty unnamed file in the folder's file system (O_TMPFILE), which no other process can
// reach; EOPNOTSUPP or EISDIR where the file system has none. `subject` names the folder.
SystemResult<Fd> TryOpenUnnamedFile(int folder, const std::string& subject);

// What is at `path` itself (a link as a link); nothing when nothing is there.
SystemResult<std::optional<struct stat>> TryStatBeneath(int folder, const std::string& path);
inline std::optional<struct stat> StatBeneath(int folder, const std::string& path) {
    return OrThrow(TryStatBeneath(folder, path));
}
SystemResult<> TryRenameBeneath(int fromFolder, const std::string& from, int toFolder,
                                const std::string& to);
inline void RenameBeneath(int fromFolder, const std::string& from, int toFolder,
                          const std::string& to) {
    OrThrow(TryRenameBeneath(fromFolder, from, toFolder, to));
}
SystemResult<> TryMakeFolderBeneath(int folder, const std::string& path, mode_t mode);
inline void MakeFolderBeneath(int folder, const std::string& path, mode_t mode) {
    OrThrow(TryMakeFolderBeneath(folder, path, mode));
}
// A link at `path` that leads to `target`, a text the link holds as it is.
SystemResult<> TryMakeLinkBeneath(int folder, const std::string& path, const std::string& target);
// The target of the link at `path`.
std::string ReadLinkBeneath(int folder, const std::string& path);
// Gives what is at `path` the permission bits `mode`; a link is refused.
SystemResult<> TryChangeModeBeneath(int folder, const std::string& path, mode_t mode);
// Removes a file, link or empty folder.
SystemResult<> TryRemoveBeneath(int folder, const std::string& path);
inline void RemoveBeneath(int folder, const std::string& path) {
    OrThrow(TryRemoveBeneath(folder, path));
}
// Removes what is at `path` with everything below it, without following links and holding two
// descriptors at most whatever the depth. Folders below it that are not writable are made so
// first: the trees it removes are the agent's own, which may hold read-only folders of a module.
// A mount point below it is never entered: it stays, with the folders that hold it, and the
// removal throws EXDEV naming it once the rest is gone.
void RemoveTreeBeneath(int folder, const std::string& path);

// The names in an open folder, without "." and "..".
std::vector<std::string> ListFolder(int folder, const std::string& subject);

} // namespace quillset
