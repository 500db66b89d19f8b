#pragma once

#include "platform/LocalMachine.h"

namespace platform::win32 {

// The local host name and IPv4 address as the socket library reports them.
class Win32LocalMachine final : public LocalMachine {
public:
    std::string localHostName() override;
    std::string localIP() override;
};

} // namespace platform::win32
