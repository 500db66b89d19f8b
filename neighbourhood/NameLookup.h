#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "platform/SocketLibrary.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <map>
#include <mutex>

namespace neighbourhood {

// The socket library of this system. Nothing needs starting on it. A name is looked up by the
// system resolver; when it does not know the name, by a NetBIOS broadcast on the local
// networks; then among the computers that this round's discoveries learnt, once they have
// ended. A name that reads as a numeric address is not looked up at all. Each name is looked up
// once a round, however many ask, also when its lookup was started ahead (Expect); safe to use
// from any thread.
class NameLookup final : public platform::SocketLibrary {
public:
    // An IPv4 address in network order, or nothing.
    using Address = std::optional<std::vector<std::uint8_t>>;
    using Lookup = std::function<Address(const std::string&)>;

    static Lookup SystemResolver();
    static Lookup NetbiosQuery(std::chrono::milliseconds wait);
    // Longer than any discovery's window: a discovery that never ends is not waited for.
    static constexpr std::chrono::milliseconds kDiscoveryWait{5000};

    // Lookups started ahead at once, at most; more are left to whoever asks.
    static constexpr int kMaxAhead = 64;

    explicit NameLookup(const DiscoveredHosts& discovered, Lookup system = SystemResolver(),
                        Lookup netbios = NetbiosQuery(std::chrono::milliseconds(500)))
        : discovered_(discovered), system_(std::move(system)), netbios_(std::move(netbios)) {}
    // Waits for the lookups started ahead.
    ~NameLookup() override;
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;

    // The name will be asked for in this round: its lookup starts now, on a thread of its own,
    // so that its answer is there (or on its way) when it is asked for.
    void Expect(const std::string& name);

    platform::SocketStartup startup(std::uint16_t requestedVersion) override;
    std::optional<platform::HostEntry> getHostByName(const std::string& name) override;
    int cleanup() override { return 0; }

private:
    Address LookUp(const std::string& name);
    // The answer to wait for, and the promise to keep when the caller is the first to ask this
    // round. Holds mutex_.
    std::shared_future<Address> Claim(const std::string& name,
                                      std::optional<std::promise<Address>>& mine);
    // Looks the name up and keeps the promise.
    void Answer(const std::string& name, std::promise<Address>& mine);

    const DiscoveredHosts& discovered_;
    Lookup system_;
    Lookup netbios_;
    std::mutex mutex_;
    DiscoveredHosts::Round round_ = 0;
    std::map<std::string, std::shared_future<Address>> asked_; // by lower-case name
    std::condition_variable aheadEnded_;
    int ahead_ = 0; // lookups started ahead and still running
};

} // namespace neighbourhood
