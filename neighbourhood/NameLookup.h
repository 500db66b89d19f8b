#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "platform/SocketLibrary.h"

#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <mutex>

namespace neighbourhood {

// The socket library of this system. Nothing needs starting on it. A name is looked up by the
// system resolver; when it does not know the name, by a NetBIOS broadcast on the local
// networks; then among the computers that this round's discoveries learnt, once they have
// ended. A name that reads as a numeric address is not looked up at all. Each name is looked up
// once a round, however many ask; safe to use from any thread.
class NameLookup final : public platform::SocketLibrary {
public:
    // An IPv4 address in network order, or nothing.
    using Address = std::optional<std::vector<std::uint8_t>>;
    using Lookup = std::function<Address(const std::string&)>;

    static Lookup SystemResolver();
    static Lookup NetbiosQuery(std::chrono::milliseconds wait);
    // Longer than any discovery's window: a discovery that never ends is not waited for.
    static constexpr std::chrono::milliseconds kDiscoveryWait{5000};

    explicit NameLookup(const DiscoveredHosts& discovered, Lookup system = SystemResolver(),
                        Lookup netbios = NetbiosQuery(std::chrono::milliseconds(500)))
        : discovered_(discovered), system_(std::move(system)), netbios_(std::move(netbios)) {}

    platform::SocketStartup startup(std::uint16_t requestedVersion) override;
    std::optional<platform::HostEntry> getHostByName(const std::string& name) override;
    int cleanup() override { return 0; }

private:
    Address LookUp(const std::string& name);

    const DiscoveredHosts& discovered_;
    Lookup system_;
    Lookup netbios_;
    std::mutex mutex_;
    DiscoveredHosts::Round round_ = 0;
    std::map<std::string, std::shared_future<Address>> asked_; // by lower-case name
};

} // namespace neighbourhood
