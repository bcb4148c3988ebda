#include "tests/support/SmallDisk.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace quillset::test {

std::unique_ptr<SmallDisk> SmallDisk::mount(const std::filesystem::path& folder, std::size_t bytes,
                                            std::string& why) {
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        why = "cannot mount a tmpfs here: " + std::string(std::strerror(errno));
        return nullptr;
    }
    return std::unique_ptr<SmallDisk>(new SmallDisk(folder));
}

SmallDisk::~SmallDisk() {
    // Detached, so that a program the agent started and that still runs there cannot keep it.
    ::umount2(folder_.c_str(), MNT_DETACH);
}

bool SmallDisk::fillUp(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const std::string block(4096, 'f');
    ssize_t written = 0;
    while ((written = ::write(fd, block.data(), block.size())) > 0) {
    }
    bool full = written < 0 && errno == ENOSPC;
    for (ssize_t one = 1; full && one > 0;) // the last partial page
        one = ::write(fd, "f", 1);
    full = full && errno == ENOSPC;
    ::close(fd);
    return full;
}

} // namespace quillset::test
