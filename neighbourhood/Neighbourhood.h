#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "neighbourhood/DiscoveryProvider.h"
#include "neighbourhood/NameLookup.h"
#include "neighbourhood/RouterProvider.h"
#include "platform/common/LazyNetworkProvider.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace neighbourhood {

// The network neighbourhood: the system's browse list (SMB's on Linux, the network provider
// router's on Windows), then the computers that answer WS-Discovery, then those that answer
// mDNS/DNS-SD, each computer once; and the name lookup that also knows the addresses the walk
// discovered.
struct Neighbourhood {
    // The browse list's provider over the resolver, and the provider text of its entries.
    using MakeBrowse =
        std::function<std::unique_ptr<platform::NetworkProvider>(platform::SocketLibrary&)>;
    struct Browse {
        std::string providerName;
        MakeBrowse make;
    };
    // Without discovery only the browse list is walked: no multicast goes out.
    explicit Neighbourhood(Browse browse, bool discovery = true);

    // The longest a discovery listens: long enough under loss, short beside a walk of SMB. It
    // ends sooner once the answers have come.
    static constexpr std::chrono::milliseconds kDiscoveryCeiling{2000};
    static constexpr char kWsdProvider[] = "WSD";
    static constexpr char kMdnsProvider[] = "mDNS";
    // A WS-Discovery computer answers a name request at its own address; an mDNS name is
    // anyone's to claim.
    static constexpr DiscoveredHosts::Trust kWsdTrust = 2;
    static constexpr DiscoveredHosts::Trust kMdnsTrust = 1;

    DiscoveredHosts discovered;
    NameLookup resolver{discovered};
    // Made when the walk is prepared or first opens it: so that what it loads comes off the
    // window's thread, and after the window is up.
    platform::LazyNetworkProvider browse;
    DiscoveryProvider wsd;
    DiscoveryProvider mdns;
    RouterProvider network;

private:
    std::once_flag browseOnce_;
    std::unique_ptr<platform::NetworkProvider> browseMade_;
};

} // namespace neighbourhood
