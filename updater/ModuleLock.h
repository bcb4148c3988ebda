#pragma once

#include <filesystem>

namespace quillset {

// One agent per module: an exclusive flock on the module folder itself, held until the agent
// ends (the kernel lets go when the process ends, however it ends). Programs the agent starts do
// not inherit it.
class ModuleLock {
public:
    enum class Outcome { Held, Busy, NoFolder };

    ModuleLock() = default;
    ~ModuleLock();
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;

    // Takes the lock without waiting; Busy while another agent holds it.
    Outcome TryLock(const std::filesystem::path& folder);
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace quillset
