#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillset {

// Where another mount begins below a folder the agent works in. A removal must never enter
// one: a folder bind-mounted into a module is someone else's, however it got there. These use
// the bare system call, without allocation or library state, so the signal clean-up can ask too.

// True when `name` in the open folder `folder` is the root of a mount, a bind mount of the same
// file system included. Kernels that cannot tell that (before 5.8) answer by the device, as
// `rm --one-file-system` does. Something no longer there is no mount point.
inline bool IsMountPoint(int folder, const char* name) {
    struct statx entry {};
    if (::syscall(SYS_statx, folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE,
                  &entry) != 0)
        return false;
    if (entry.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT)
        return (entry.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    struct statx parent {};
    if (::syscall(SYS_statx, folder, "", AT_EMPTY_PATH, STATX_TYPE, &parent) != 0)
        return true; // cannot tell: not entered
    return entry.stx_dev_major != parent.stx_dev_major ||
           entry.stx_dev_minor != parent.stx_dev_minor;
}

// True when the open `inner` lies on the same mount as the open `outer`: by the mount's own
// number where the kernel tells it (5.8), else by the device.
inline bool OnSameMount(int inner, int outer) {
    struct statx a {};
    struct statx b {};
    if (::syscall(SYS_statx, inner, "", AT_EMPTY_PATH, STATX_MNT_ID, &a) != 0 ||
        ::syscall(SYS_statx, outer, "", AT_EMPTY_PATH, STATX_MNT_ID, &b) != 0)
        return false;
    if ((a.stx_mask & STATX_MNT_ID) && (b.stx_mask & STATX_MNT_ID))
        return a.stx_mnt_id == b.stx_mnt_id;
    return a.stx_dev_major == b.stx_dev_major && a.stx_dev_minor == b.stx_dev_minor;
}

} // namespace quillset
