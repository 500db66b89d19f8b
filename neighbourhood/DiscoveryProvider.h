#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "platform/common/ListingProvider.h"

#include <chrono>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

namespace neighbourhood {

using platform::NetResource;

// A computer that a discovery protocol found.
struct DiscoveredComputer {
    std::string name;
    std::string group; // workgroup or domain
    std::string comment;
    DiscoveredHosts::Address address{};
};

// A network whose computers announce themselves: discovery starts when the walk opens the root
// and runs for its window beside the rest of the walk; the network lists the computers' groups,
// each group its computers ("\\NAME"), so that they lie as deep as the servers of any other
// network. What it finds also goes into the discovered hosts, for name lookups.
class DiscoveryProvider final : public platform::ListingProvider {
public:
    using Discover = std::function<std::vector<DiscoveredComputer>(std::chrono::milliseconds)>;

    DiscoveryProvider(std::string networkName, std::string providerName, Discover discover,
                      std::chrono::milliseconds window, DiscoveredHosts& hosts)
        : networkName_(std::move(networkName)), providerName_(std::move(providerName)),
          discover_(std::move(discover)), window_(window), hosts_(hosts) {}
    ~DiscoveryProvider() override;

private:
    std::optional<std::vector<NetResource>> List(std::int32_t scope, std::int32_t type,
                                                 std::int32_t usage,
                                                 const NetResource* parent) override;
    // The running discovery's computers, waited for the first time they are needed.
    const std::vector<DiscoveredComputer>& Computers();
    NetResource Entry(std::int32_t displayType, std::string remoteName, std::string comment) const;

    std::string networkName_;
    std::string providerName_;
    Discover discover_;
    std::chrono::milliseconds window_;
    DiscoveredHosts& hosts_;
    std::future<std::vector<DiscoveredComputer>> running_;
    std::optional<std::vector<DiscoveredComputer>> found_;
};

} // namespace neighbourhood
