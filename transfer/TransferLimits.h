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
};

} // namespace quillset
