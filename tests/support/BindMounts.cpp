#include "tests/support/BindMounts.h"

#include <fcntl.h>
#include <fstream>
#include <sched.h>
#include <sstream>
#include <string>
#include <sys/mount.h>
#include <unistd.h>

namespace quillset::test {

namespace {

bool WriteProcFile(const char* path, const std::string& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    ::close(fd);
    return written;
}

// Root takes a mount namespace alone; anyone else (or a root without the right) a user
// namespace too, in which the same ids map to themselves.
bool EnterPrivateMounts() {
    static const bool entered = [] {
        const uid_t uid = ::geteuid();
        const gid_t gid = ::getegid();
        if (::unshare(CLONE_NEWNS) != 0) {
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return false;
            if (!WriteProcFile("/proc/self/setgroups", "deny") ||
                !WriteProcFile("/proc/self/uid_map",
                               std::to_string(uid) + " " + std::to_string(uid) + " 1") ||
                !WriteProcFile("/proc/self/gid_map",
                               std::to_string(gid) + " " + std::to_string(gid) + " 1"))
                return false;
        }
        // Nothing mounted here may reach the machine's namespace.
        return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    }();
    return entered;
}

// /proc/self/mountinfo writes blanks and the like as \ooo.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            out += char(std::stoi(text.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

bool BindMounts::bind(const std::filesystem::path& outside, const std::filesystem::path& inside) {
    return EnterPrivateMounts() &&
           ::mount(outside.c_str(), inside.c_str(), nullptr, MS_BIND, nullptr) == 0;
}

BindMounts::~BindMounts() {
    std::ifstream info("/proc/self/mountinfo");
    std::vector<std::string> below;
    for (std::string line; std::getline(info, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, root, point;
        fields >> id >> parent >> device >> root >> point;
        point = Unescaped(point);
        if (point.starts_with(scope_.string() + "/"))
            below.push_back(point);
    }
    // Deepest first, as they were stacked.
    for (auto it = below.rbegin(); it != below.rend(); ++it)
        ::umount2(it->c_str(), MNT_DETACH);
}

} // namespace quillset::test
