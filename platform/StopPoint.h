#pragma once

namespace quillset {

// The environment variable that names a stop point for crash tests.
inline constexpr char kStopAtVariable[] = "QUILLSET_TEST_STOP_AT";

// A named point of the download, the unpack, the swap or the recovery. When QUILLSET_TEST_STOP_AT
// names it ("swap-step", or "swap-step#3" for its third passage), the agent kills itself there
// with SIGKILL, as kill -9 or a power cut would. Without the variable nothing happens.
void StopPoint(const char* name);

} // namespace quillset
