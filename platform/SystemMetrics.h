#pragma once

namespace platform {

class SystemMetrics {
public:
    virtual ~SystemMetrics() = default;
    // Bit 0x2 is set when a network is present; the other bits carry nothing callers use.
    virtual int networkMetric() = 0;
};

} // namespace platform
