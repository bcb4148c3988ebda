#include "platform/SignalCleanup.h"

#include "posix/MountPoint.h"

#include <array>
#include <atomic>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quillset {

namespace {

enum SlotState : int { Free = 0, Writing = 1, Active = 2 };

// Fixed storage: the signal handler may read it at any moment and may not allocate.
struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX] = {};
};

std::array<Slot, 8> slots;

// The handler removes what it can in this long at most, so that the program still ends at once
// on a tree it cannot remove; the next run's clean-up removes what is left.
constexpr long kRemovalBudgetNs = 2'000'000'000;

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

long NowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000L + now.tv_nsec;
}

// Folders found that cannot be emptied, so that the walk does not enter them again.
class StuckFolders {
public:
    void add(int folder) {
        struct stat info {};
        if (count_ < kMost && ::fstat(folder, &info) == 0)
            known_[count_++] = {info.st_dev, info.st_ino};
    }
    bool contains(int folder) const {
        struct stat info {};
        if (::fstat(folder, &info) != 0)
            return true;
        for (int i = 0; i < count_; ++i)
            if (known_[i].device == info.st_dev && known_[i].inode == info.st_ino)
                return true;
        return false;
    }

private:
    struct Identity {
        dev_t device;
        ino_t inode;
    };
    // Past this many the time budget ends the walk instead.
    static constexpr int kMost = 64;
    Identity known_[kMost] = {};
    int count_ = 0;
};

enum class Pass { Removed, Entered, Stuck };

// One read of `folder` from its start: removes every entry it can and answers Removed, or enters
// the first folder entry that needs emptying and answers Entered with `folder` now that one.
Pass EmptyOnce(int& folder, const StuckFolders& stuck) {
    alignas(8) char buffer[4096];
    Pass pass = Pass::Stuck;
    ::lseek(folder, 0, SEEK_SET);
    for (long length; (length = ::syscall(SYS_getdents64, folder, buffer, sizeof buffer)) > 0;) {
        for (long offset = 0; offset < length;) {
            const auto* entry = reinterpret_cast<const Dirent64*>(buffer + offset);
            offset += entry->d_reclen;
            const char* name = entry->d_name;
            if (IsDotOrDotDot(name))
                continue;
            if (::unlinkat(folder, name, 0) == 0) {
                pass = Pass::Removed;
                continue;
            }
            if (errno != EISDIR && errno != EPERM)
                continue;
            if (::unlinkat(folder, name, AT_REMOVEDIR) == 0) {
                pass = Pass::Removed;
                continue;
            }
            if (errno != ENOTEMPTY && errno != EEXIST)
                continue;
            const int inner =
                ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (inner < 0)
                continue;
            // A mount point below is someone else's folder: never emptied.
            if (!OnSameMount(inner, folder) || stuck.contains(inner)) {
                ::close(inner);
                continue;
            }
            // The agent's own temporary: folders the archive made read-only are emptied too.
            ::fchmod(inner, S_IRWXU);
            ::close(folder);
            folder = inner;
            return Pass::Entered;
        }
    }
    return pass;
}

// Removes the tree `name` in `parent` without recursion and without allocation, so any depth is
// reached on the handler's small stack: it empties one folder at a time, going down into a
// folder that still holds entries and back up through "..". Each read of a folder removes an
// entry, enters a folder not yet found stuck, or finds this folder stuck and leaves it, so the
// walk ends even where entries cannot be removed; the time budget bounds it all the same.
// Raw system calls, not posix's file layer, which allocates and throws: a handler may do neither.
void RemoveTree(int parent, const char* name) {
    if (IsMountPoint(parent, name) || ::unlinkat(parent, name, 0) == 0 ||
        (errno != EISDIR && errno != EPERM))
        return;
    int folder = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    ::fchmod(folder, S_IRWXU);
    StuckFolders stuck;
    const long deadline = NowNs() + kRemovalBudgetNs;
    for (int depth = 0; NowNs() < deadline;) {
        const Pass pass = EmptyOnce(folder, stuck);
        if (pass == Pass::Entered)
            ++depth;
        if (pass != Pass::Stuck)
            continue;
        // Nothing more goes here: empty, to be removed from above, or stuck.
        stuck.add(folder);
        if (depth == 0)
            break;
        const int above = ::openat(folder, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(folder);
        folder = above;
        --depth;
        if (folder < 0)
            return;
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
        if (slot.state.load() == Active)
            RemoveTree(AT_FDCWD, slot.path);
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
        int expected = Free;
        if (slots[i].state.compare_exchange_strong(expected, Writing)) {
            std::memcpy(slots[i].path, text.c_str(), text.size() + 1);
            slots[i].state.store(Active);
            slot_ = int(i);
            return;
        }
    }
}

RemovedOnSignal::~RemovedOnSignal() {
    if (slot_ >= 0)
        slots[std::size_t(slot_)].state.store(Free);
}

EndingSignalsHeld::EndingSignalsHeld() {
    const sigset_t set = EndingSignals();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_);
}

EndingSignalsHeld::~EndingSignalsHeld() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

} // namespace quillset
