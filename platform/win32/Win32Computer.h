#pragma once

#include "platform/LocalMachine.h"
#include "platform/LocalNames.h"

namespace platform::win32 {

// What this computer tells of itself: the local host name and IPv4 address as the socket
// library reports them, the logged-on user's name and the computer name.
class Win32Computer final : public LocalMachine, public LocalNames {
public:
    std::string localHostName() override;
    std::string localIP() override;
    std::string userName() override;
    std::string computerName() override;
};

} // namespace platform::win32
