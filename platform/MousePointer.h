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

} // namespace quillset
