#include "tests/support/FrameServices.h"

namespace quillset::test {

const RecordingSurface& FrameServices::lastPage() const {
    return *pages.back();
}

bool FrameServices::lastPageHas(RecordingSurface::Kind kind) const {
    for (const auto& op : lastPage().operations())
        if (op.kind == kind)
            return true;
    return false;
}

} // namespace quillset::test
