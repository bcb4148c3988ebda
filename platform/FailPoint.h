#pragma once

namespace quillset {

// A named operation that a test build can make fail. When QUILLSET_TEST_FAIL_AT names it with an
// error ("swap-rename:EIO", or "swap-rename#2:EIO" for its second passage), answers true with
// errno set to that error, and the caller fails as if the operation had:
//     if (FailPoint("swap-rename") || ::rename(from, to) != 0) ThrowErrno<...>(...);
// Shipped programs link the empty hooks (platform_no_test_hooks), where it answers false.
bool FailPoint(const char* name);

} // namespace quillset
