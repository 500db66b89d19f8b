#pragma once

#include "platform/LocalSocket.h"

namespace platform::posix {

// The host name, and the IPv4 address of the default route's interface.
class PosixLocalSocket final : public LocalSocket {
public:
    std::string localHostName() override;
    std::string localIP() override;
};

} // namespace platform::posix
