// The stop and fail points of shipped programs, linked as platform_no_test_hooks: nothing reads a
// test setting, and no operation is made to fail.
#include "platform/FailPoint.h"
#include "platform/StopPoint.h"

namespace quillset {

void StopPoint(const char*) {}

bool FailPoint(const char*) {
    return false;
}

} // namespace quillset
