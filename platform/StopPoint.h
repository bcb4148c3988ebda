#pragma once

namespace quillset {

// A named point of the download, the unpack, the swap or the recovery. In a test build, when
// QUILLSET_TEST_STOP_AT names it ("swap-step", or "swap-step#3" for its third passage), the
// program kills itself there with SIGKILL, as kill -9 or a power cut would; with ":SIGSTOP" after
// the point ("swap-step#3:SIGSTOP") it stops itself there instead, for the test to send it a
// signal at that point and let it go on. Shipped programs link the empty hooks
// (platform_no_test_hooks), where it does nothing.
void StopPoint(const char* name);

} // namespace quillset
