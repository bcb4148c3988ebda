#pragma once

namespace quillset {

// The application's mouse pointer, by the window system's pointer codes.
enum class PointerShape { Default = 0, Arrow = 1, Hourglass = 11 };

class MousePointer {
public:
    virtual ~MousePointer() = default;
    virtual void setShape(PointerShape shape) = 0;
    virtual PointerShape shape() const = 0;
};

// For programs and tests without a window: only remembers the shape asked for.
class RememberedMousePointer : public MousePointer {
public:
    void setShape(PointerShape shape) override { shape_ = shape; }
    PointerShape shape() const override { return shape_; }

private:
    PointerShape shape_ = PointerShape::Default;
};

// The hourglass for the life of the guard, then the arrow, however the scope is left: a return,
// a failure or the agent ending.
class HourglassWhileBusy {
public:
    explicit HourglassWhileBusy(MousePointer& pointer) : pointer_(pointer) {
        pointer_.setShape(PointerShape::Hourglass);
    }
    ~HourglassWhileBusy() { pointer_.setShape(PointerShape::Arrow); }
    HourglassWhileBusy(const HourglassWhileBusy&) = delete;
    HourglassWhileBusy& operator=(const HourglassWhileBusy&) = delete;

private:
    MousePointer& pointer_;
};

} // namespace quillset
