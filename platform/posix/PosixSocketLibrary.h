#pragma once

#include "platform/SocketLibrary.h"

#include <chrono>

namespace platform::posix {

// Nothing needs starting on this system; a name is looked up by the system resolver and, when
// it does not know the name, by a NetBIOS broadcast on the local networks.
class PosixSocketLibrary final : public SocketLibrary {
public:
    explicit PosixSocketLibrary(
        std::chrono::milliseconds netbiosWait = std::chrono::milliseconds(500))
        : netbiosWait_(netbiosWait) {}

    SocketStartup startup(std::uint16_t requestedVersion) override;
    std::optional<HostEntry> getHostByName(const std::string& name) override;
    int cleanup() override { return 0; }

private:
    std::chrono::milliseconds netbiosWait_;
};

} // namespace platform::posix
