#pragma once

#include "platform/MousePointer.h"

namespace quillset {

// The application-wide pointer: the hourglass is an override cursor, the arrow removes it.
class QtMousePointer : public MousePointer {
public:
    void setShape(PointerShape shape) override;
    PointerShape shape() const override { return shape_; }

private:
    PointerShape shape_ = PointerShape::Default;
    bool overridden_ = false;
};

} // namespace quillset
