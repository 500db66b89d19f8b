#pragma once

#include <string>

namespace platform {

// What the socket library reports about this computer.
class LocalMachine {
public:
    virtual ~LocalMachine() = default;
    virtual std::string localHostName() = 0;
    // One IPv4 address of this computer as dotted text.
    virtual std::string localIP() = 0;
};

} // namespace platform
