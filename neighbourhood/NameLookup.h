#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "platform/SocketLibrary.h"

#include <chrono>
#include <functional>

namespace neighbourhood {

// The socket library of this system. Nothing needs starting on it. A name is looked up by the
// system resolver; when it does not know the name, among the computers that the current walk
// discovered; then by a NetBIOS broadcast on the local networks.
class NameLookup final : public platform::SocketLibrary {
public:
    // An IPv4 address in network order, or nothing.
    using Lookup = std::function<std::optional<std::vector<std::uint8_t>>(const std::string&)>;

    static Lookup SystemResolver();
    static Lookup NetbiosQuery(std::chrono::milliseconds wait);

    explicit NameLookup(const DiscoveredHosts* discovered = nullptr,
                        Lookup system = SystemResolver(),
                        Lookup netbios = NetbiosQuery(std::chrono::milliseconds(500)))
        : discovered_(discovered), system_(std::move(system)), netbios_(std::move(netbios)) {}

    platform::SocketStartup startup(std::uint16_t requestedVersion) override;
    std::optional<platform::HostEntry> getHostByName(const std::string& name) override;
    int cleanup() override { return 0; }

private:
    const DiscoveredHosts* discovered_;
    Lookup system_;
    Lookup netbios_;
};

} // namespace neighbourhood
