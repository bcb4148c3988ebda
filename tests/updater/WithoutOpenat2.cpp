// Runs a program as on a kernel without openat2 (ENOSYS, as before Linux 5.6) or in a sandbox
// whose system-call filter refuses it (EPERM), by a seccomp filter that answers every openat2
// with that error:
//   without_openat2 ENOSYS|EPERM PROGRAM [ARGUMENT...]
// Exits 77 when this machine cannot install the filter, 2 when the program cannot be run.
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const int error = argc > 2 && std::strcmp(argv[1], "ENOSYS") == 0  ? ENOSYS
                      : argc > 2 && std::strcmp(argv[1], "EPERM") == 0 ? EPERM
                                                                       : 0;
    if (error == 0) {
        std::fprintf(stderr, "usage: without_openat2 ENOSYS|EPERM PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(error)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        std::perror("without_openat2: seccomp");
        return 77;
    }
    ::execv(argv[2], argv + 2);
    std::perror("without_openat2: exec");
    return 2;
}
