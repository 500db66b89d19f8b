#pragma once

#include "platform/Clock.h"

namespace platform::win32 {

// The user's short date and time formats (GetDateFormatA, GetTimeFormatA).
class Win32Clock final : public Clock {
public:
    std::string dateText() override;
    std::string timeText() override;
};

} // namespace platform::win32
