#pragma once

#include <chrono>
#include <cstdint>

namespace quillset {

// Limits that keep a dead, stalled, slow or endless server from holding a transfer forever.
struct TransferLimits {
    std::chrono::milliseconds connect{30'000};
    // Given up when slower than lowSpeedBytes per second for lowSpeedTime: a stall, or a speed
    // below a floor.
    long lowSpeedBytes = 1;
    std::chrono::seconds lowSpeedTime{60};
    // The whole transfer, connection included; zero for no limit.
    std::chrono::seconds totalTime{0};
    // The body's size; zero for no limit.
    std::uint64_t maxBytes = 0;
    // A large body may come slowly but must end: the transfer may take `paceGrace` plus the time
    // the body's length takes at `paceFloor` bytes per second, and never more than `paceMost`.
    // Until a length is announced (or where none is), the bytes so far stand for it, so a body
    // that comes slower than the floor on average ends soon after the grace. Zero paceFloor: no
    // such bound.
    std::uint64_t paceFloor = 0;
    std::chrono::seconds paceGrace{0};
    std::chrono::seconds paceMost{0};
};

} // namespace quillset
