#pragma once

#include "platform/Clock.h"

namespace quillset {

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime time) : time_(std::move(time)) {}
    QDateTime now() const override { return time_; }

private:
    QDateTime time_;
};

} // namespace quillset
