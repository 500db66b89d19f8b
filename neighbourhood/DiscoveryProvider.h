#pragma once

#include "neighbourhood/DiscoveredComputer.h"
#include "neighbourhood/DiscoveredHosts.h"
#include "neighbourhood/ListingProvider.h"

#include <chrono>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace neighbourhood {

using platform::NetResource;

// A network whose computers announce themselves: discovery starts when the walk is prepared or
// opens the root, and runs beside the rest until it has heard enough; the network lists the
// computers' groups, each group its computers ("\\NAME"), so that they lie as deep as the servers
// of any other network. What it finds also goes into the discovered hosts of the round, for
// lookups.
class DiscoveryProvider final : public ListingProvider {
public:
    // Listens until the answers have come, the ceiling at the latest, or until asked to stop;
    // tells each computer to `found` as soon as it knows it.
    using Discover = std::function<std::vector<DiscoveredComputer>(
        std::chrono::milliseconds ceiling, std::stop_token, const Found& found)>;

    // The hosts learn what it finds with the trust given, when it ends; `found` hears of each
    // computer of the current round as soon as the discovery knows it.
    DiscoveryProvider(std::string networkName, std::string providerName, Discover discover,
                      std::chrono::milliseconds ceiling, DiscoveredHosts& hosts,
                      DiscoveredHosts::Trust trust, Found found = {})
        : networkName_(std::move(networkName)), providerName_(std::move(providerName)),
          discover_(std::move(discover)), ceiling_(ceiling), hosts_(hosts), trust_(trust),
          found_(std::move(found)) {}
    ~DiscoveryProvider() override;

    // Starts this round's discovery, unless it runs already.
    void Prepare() override;
    // The network lists groups only.
    bool MayListServers(const NetResource& container) override;

private:
    Listing List(const Request& request) override;
    struct Run {
        DiscoveredHosts::Round round = 0;
        bool walked = false; // a walk has taken it
        std::stop_source stop;
        std::shared_future<std::vector<DiscoveredComputer>> found;
    };

    // Ends the running discovery and starts one for the current round. Holds mutex_.
    void StartRun();
    // The computers of the run that the walk took, waited for.
    std::vector<DiscoveredComputer> Computers();
    NetResource Entry(std::int32_t displayType, std::string remoteName, std::string comment) const;

    std::string networkName_;
    std::string providerName_;
    Discover discover_;
    std::chrono::milliseconds ceiling_;
    DiscoveredHosts& hosts_;
    DiscoveredHosts::Trust trust_;
    Found found_;
    std::mutex mutex_;
    std::optional<Run> run_;
};

} // namespace neighbourhood
