#pragma once

#include "platform/SystemMetrics.h"

namespace platform::win32 {

class Win32SystemMetrics final : public SystemMetrics {
public:
    int networkMetric() override;
};

} // namespace platform::win32
