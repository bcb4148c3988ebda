#pragma once

#include "signature/ReleaseSignatureFile.h"
#include "transfer/TransferLimits.h"

#include <chrono>

namespace quillset {

// What the agent allows its two transfers. A real version file is a few bytes, so its transfer
// is bounded in size and in time: a server that trickles or never ends it must not keep the
// agent scanning. An archive may be large and slow, so it only has to keep up a floor speed; its
// size bound is far above any module, so that an endless server cannot fill the disk.
struct AgentTransferLimits {
    static constexpr std::chrono::seconds kWait{60};

    TransferLimits versionFile{kWait / 2, 1, kWait, kWait, 64 * 1024};
    // A server that trickles just above the speed floor must not hold the agent for days: ten
    // minutes plus the archive at 64 KiB/s, one day at the most.
    TransferLimits archive{kWait / 2,  1024,      kWait,      std::chrono::seconds{0},
                           4ull << 30, 64 * 1024, kWait * 10, std::chrono::hours{24}};

    // A signature file lists every entry's digest: as large as a big module's directory, and
    // given the archive's pace.
    TransferLimits signatureFile{kWait / 2,
                                 1024,
                                 kWait,
                                 std::chrono::seconds{0},
                                 kSignatureFileLimitV2,
                                 64 * 1024,
                                 kWait * 10,
                                 std::chrono::hours{24}};

    // The same limits with every wait cut to `wait`: builds for tests, which must not sit out
    // real minutes against servers that stall on purpose.
    static AgentTransferLimits withWaits(std::chrono::seconds wait) {
        AgentTransferLimits limits;
        for (TransferLimits* one : {&limits.versionFile, &limits.archive, &limits.signatureFile}) {
            one->connect = wait;
            one->lowSpeedTime = wait;
            if (one->totalTime.count() != 0)
                one->totalTime = wait;
            if (one->paceFloor != 0)
                one->paceGrace = wait;
        }
        return limits;
    }
};

} // namespace quillset
