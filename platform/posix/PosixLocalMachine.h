#pragma once

#include "platform/LocalMachine.h"

namespace platform::posix {

// The host name, and the IPv4 address of the default route's interface.
class PosixLocalMachine final : public LocalMachine {
public:
    std::string localHostName() override;
    std::string localIP() override;
};

} // namespace platform::posix
