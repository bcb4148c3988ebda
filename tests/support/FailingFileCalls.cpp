// Preloaded into a program under test: makes one file call fail at one place, as a failing disk
// or an immutable file would, where every call before succeeded.
//   QUILLSET_FAILING_CALL=fsync|close|unlinkat   the call that fails
//   QUILLSET_FAILING_PATH=PATH                   only for the file PATH or what lies below it
// fsync() and close() of a regular file fail with EIO; a failing close() still closes the
// descriptor, as Linux does. unlinkat() of a file that is not a folder fails with EPERM, as an
// immutable file's removal does; folders are still removed once empty.
// The signal clean-up calls unlinkat() from a signal handler, so that path allocates nothing and
// calls only what a handler may.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// Looked up before main, never first inside a signal handler.
const auto realFsync = Next<int (*)(int)>("fsync");
const auto realClose = Next<int (*)(int)>("close");
const auto realUnlinkat = Next<int (*)(int, const char*, int)>("unlinkat");

bool Failing(const char* call) {
    const char* failing = std::getenv("QUILLSET_FAILING_CALL");
    return failing && std::getenv("QUILLSET_FAILING_PATH") && std::strcmp(failing, call) == 0;
}

// The path `fd` names, into `path`; false when it cannot be told.
bool PathOf(int fd, char (&path)[4096]) {
    char link[32] = "/proc/self/fd/";
    char digits[12];
    int count = 0;
    for (unsigned n = unsigned(fd); count == 0 || n != 0; n /= 10)
        digits[count++] = char('0' + n % 10);
    std::size_t at = std::strlen(link);
    while (count > 0)
        link[at++] = digits[--count];
    link[at] = '\0';
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return false;
    path[length] = '\0';
    return true;
}

bool Below(const char* path) {
    const char* place = std::getenv("QUILLSET_FAILING_PATH");
    const std::size_t prefix = std::strlen(place);
    return std::strncmp(path, place, prefix) == 0 && (path[prefix] == '/' || path[prefix] == '\0');
}

bool FailsForFile(const char* call, int fd) {
    struct stat info {};
    char path[4096];
    return Failing(call) && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && PathOf(fd, path) &&
           Below(path);
}

bool FailsForRemoval(int folder, const char* name, int flags) {
    if (!Failing("unlinkat") || (flags & AT_REMOVEDIR) != 0)
        return false;
    char path[4096];
    if (name[0] == '/') {
        return Below(name);
    }
    if (folder == AT_FDCWD ? ::getcwd(path, sizeof path) == nullptr : !PathOf(folder, path))
        return false;
    const std::size_t length = std::strlen(path);
    if (length + 1 + std::strlen(name) >= sizeof path)
        return false;
    path[length] = '/';
    std::strcpy(path + length + 1, name);
    struct stat info {};
    return Below(path) && ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           !S_ISDIR(info.st_mode);
}

} // namespace

extern "C" int fsync(int fd) {
    if (FailsForFile("fsync", fd)) {
        errno = EIO;
        return -1;
    }
    return realFsync(fd);
}

extern "C" int close(int fd) {
    if (FailsForFile("close", fd)) {
        realClose(fd);
        errno = EIO;
        return -1;
    }
    return realClose(fd);
}

extern "C" int unlinkat(int folder, const char* name, int flags) {
    if (FailsForRemoval(folder, name, flags)) {
        errno = EPERM;
        return -1;
    }
    return realUnlinkat(folder, name, flags);
}
