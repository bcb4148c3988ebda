#pragma once

#include <QDateTime>

namespace quillset {

// The printed dates come from here, so tests can fix the time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

} // namespace quillset
