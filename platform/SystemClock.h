#pragma once

#include "platform/Clock.h"

namespace quillset {

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace quillset
