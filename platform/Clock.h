#pragma once

#include <string>

namespace platform {

// The current local date and time as the user's regional settings write them: the short date
// (with a four-digit year), and the time with seconds. The clock is read anew for each text.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::string dateText() = 0;
    virtual std::string timeText() = 0;
};

} // namespace platform
