#pragma once

#include "platform/SystemMetrics.h"

namespace platform::posix {

// Network present (bits 0x1 and 0x2) when an interface other than loopback is up.
class PosixSystemMetrics final : public SystemMetrics {
public:
    int networkMetric() override;
};

} // namespace platform::posix
