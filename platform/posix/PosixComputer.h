#pragma once

#include "platform/LocalMachine.h"
#include "platform/LocalNames.h"

namespace platform::posix {

// What this computer tells of itself: the host name, the IPv4 address of the default route's
// interface, the effective user's login name, and the host name as a computer name (its first
// label in capitals).
class PosixComputer final : public LocalMachine, public LocalNames {
public:
    std::string localHostName() override;
    std::string localIP() override;
    std::string userName() override;
    std::string computerName() override;
};

} // namespace platform::posix
