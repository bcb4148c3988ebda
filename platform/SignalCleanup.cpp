#include "platform/SignalCleanup.h"

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillset {

namespace {

enum SlotState : int { kFree = 0, kWriting = 1, kActive = 2 };

// Fixed storage: the signal handler may read it at any moment and may not allocate.
struct Slot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX] = {};
};

std::array<Slot, 8> slots;

// Deep trees are left for the next run's clean-up rather than risking the handler's stack.
constexpr int kMaxDepth = 24;

struct Dirent64 {
    ino64_t d_ino;
    off64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[1];
};

bool IsDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Only system calls that are safe in a signal handler: no allocation, no locks.
void RemoveTree(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM) ||
        depth > kMaxDepth)
        return;
    const int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    alignas(8) char buffer[4096];
    // Entries removed while reading can shift the rest; read again from the start until empty.
    for (bool removedAny = true; removedAny;) {
        removedAny = false;
        ::lseek(folder, 0, SEEK_SET);
        const long length = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer);
        for (long offset = 0; offset < length;) {
            const auto* entry = reinterpret_cast<const Dirent64*>(buffer + offset);
            if (!IsDotOrDotDot(entry->d_name)) {
                RemoveTree(folder, entry->d_name, depth + 1);
                removedAny = true;
            }
            offset += entry->d_reclen;
        }
    }
    ::close(folder);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

void OnEndingSignal(int signalNumber) {
    // Only the main thread acts: it holds the signals back during a swap, so a signal that a
    // library's thread received waits there until the swap is complete.
    const pid_t process = ::getpid();
    if (::syscall(SYS_gettid) != process) {
        ::syscall(SYS_tgkill, process, process, signalNumber);
        return;
    }
    for (Slot& slot : slots)
        if (slot.state.load() == kActive)
            RemoveTree(AT_FDCWD, slot.path, 0);
    // Blocked while the handler runs; delivered with its default action on return.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

sigset_t EndingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, signalNumber);
    return set;
}

} // namespace

void InstallSignalCleanup() {
    struct sigaction action {};
    action.sa_handler = &OnEndingSignal;
    action.sa_mask = EndingSignals();
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
}

RemovedOnSignal::RemovedOnSignal(const std::filesystem::path& path) {
    const std::string& text = path.native();
    if (text.size() >= PATH_MAX)
        return;
    for (std::size_t i = 0; i < slots.size(); ++i) {
        int expected = kFree;
        if (slots[i].state.compare_exchange_strong(expected, kWriting)) {
            std::memcpy(slots[i].path, text.c_str(), text.size() + 1);
            slots[i].state.store(kActive);
            slot_ = int(i);
            return;
        }
    }
}

RemovedOnSignal::~RemovedOnSignal() {
    if (slot_ >= 0)
        slots[std::size_t(slot_)].state.store(kFree);
}

EndingSignalsHeld::EndingSignalsHeld() {
    const sigset_t set = EndingSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

EndingSignalsHeld::~EndingSignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace quillset
