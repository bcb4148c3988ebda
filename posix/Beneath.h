#pragma once

#include "posix/FileDescriptor.h"

#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace quillset {

// File work below an open folder. Every `path` here is relative to `folder`: no leading "/", no
// empty, "." or ".." parts. Not one link is followed on the way, the last part included, so a
// link planted below the folder cannot send the work outside it. A path that breaks these rules
// throws SystemError (EINVAL for its shape, ELOOP for a link on the way).

// The folder itself, by its full path: a link given as the folder is followed, as installs
// point a stable name at a versioned folder.
Fd OpenFolder(const std::string& path);

// openat2 with RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS, or OpenByParts where the kernel lacks it.
Fd OpenBeneath(int folder, const std::string& path, int flags, mode_t mode = 0);
// The same walk one part at a time with O_NOFOLLOW, for kernels before openat2.
Fd OpenByParts(int folder, const std::string& path, int flags, mode_t mode = 0);

Fd OpenFolderBeneath(int folder, const std::string& path);
// Opens a file without ever blocking (a FIFO or a device at the name answers at once) and
// refuses anything but a regular file (EINVAL). The descriptor then blocks as usual.
Fd OpenFileBeneath(int folder, const std::string& path, int flags = O_RDONLY, mode_t mode = 0);

// What is at `path` itself (a link as a link); nothing when nothing is there.
std::optional<struct stat> StatBeneath(int folder, const std::string& path);
void RenameBeneath(int fromFolder, const std::string& from, int toFolder, const std::string& to);
void MakeFolderBeneath(int folder, const std::string& path, mode_t mode);
// The target of the link at `path`.
std::string ReadLinkBeneath(int folder, const std::string& path);
// Removes a file, link or empty folder.
void RemoveBeneath(int folder, const std::string& path);
// Removes what is at `path` with everything below it, without following links and holding two
// descriptors at most whatever the depth. Folders below it that are not writable are made so
// first: the trees it removes are the agent's own, which may hold read-only folders of a module.
void RemoveTreeBeneath(int folder, const std::string& path);

// The names in an open folder, without "." and "..".
std::vector<std::string> ListFolder(int folder, const std::string& subject);

} // namespace quillset
