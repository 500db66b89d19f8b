#pragma once

#include "platform/Clock.h"

namespace platform::win32 {

// The user's short date and time formats (GetDateFormatA, GetTimeFormatA).
class Win32Clock final : public Clock {
public:
    std::string read(Reading reading) override;
};

} // namespace platform::win32
