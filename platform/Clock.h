#pragma once

#include <string>

namespace platform {

// The current local date and time as the user's regional settings write them.
class Clock {
public:
    // The short date (with a four-digit year), or the time with seconds.
    enum class Reading { Date, Time };

    virtual ~Clock() = default;
    // Reads the clock anew, each time it is asked.
    virtual std::string read(Reading reading) = 0;
};

} // namespace platform
