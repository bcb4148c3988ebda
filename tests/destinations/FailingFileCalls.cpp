// Preloaded into a program under test: makes fsync() or close() of a regular file fail with EIO,
// as a disk that loses the written pages reports it, where every write() before succeeded.
//   QUILLSET_FAILING_CALL=fsync|close   the call that fails
//   QUILLSET_FAILING_FOLDER=PATH        only for files whose path starts with PATH/
// A failing close() still closes the descriptor, as Linux does.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool FailsHere(const char* call, int fd) {
    const char* failing = std::getenv("QUILLSET_FAILING_CALL");
    const char* folder = std::getenv("QUILLSET_FAILING_FOLDER");
    if (!failing || !folder || std::strcmp(failing, call) != 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    char link[64];
    char path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return false;
    path[length] = '\0';
    const std::size_t prefix = std::strlen(folder);
    return std::strncmp(path, folder, prefix) == 0 && path[prefix] == '/';
}

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int fsync(int fd) {
    static const auto real = Next<int (*)(int)>("fsync");
    if (FailsHere("fsync", fd)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int close(int fd) {
    static const auto real = Next<int (*)(int)>("close");
    if (FailsHere("close", fd)) {
        real(fd);
        errno = EIO;
        return -1;
    }
    return real(fd);
}
