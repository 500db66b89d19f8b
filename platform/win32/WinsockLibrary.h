#pragma once

#include "platform/SocketLibrary.h"

namespace platform::win32 {

// Windows Sockets 1.1 (wsock32): start-up, the host entry of a name, clean-up.
class WinsockLibrary final : public SocketLibrary {
public:
    SocketStartup startup(std::uint16_t requestedVersion) override;
    std::optional<HostEntry> getHostByName(const std::string& name) override;
    int cleanup() override;
};

} // namespace platform::win32
