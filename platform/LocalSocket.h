#pragma once

#include <string>

namespace platform {

// What a socket library reports about the local machine.
class LocalSocket {
public:
    virtual ~LocalSocket() = default;
    virtual std::string localHostName() = 0;
    // One IPv4 address of this machine as dotted text.
    virtual std::string localIP() = 0;
};

} // namespace platform
