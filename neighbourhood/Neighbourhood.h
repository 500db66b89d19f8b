#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "neighbourhood/DiscoveryProvider.h"
#include "neighbourhood/NameLookup.h"
#include "neighbourhood/RouterProvider.h"
#include "neighbourhood/mdns/MdnsDiscovery.h"
#include "neighbourhood/smb/SmbModule.h"
#include "neighbourhood/wsd/WsdDiscovery.h"
#include "platform/posix/Lazy.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

namespace neighbourhood {

// The network neighbourhood of this system: SMB's browse list, then the computers that answer
// WS-Discovery, then those that answer mDNS/DNS-SD, each computer once; and the name lookup
// that also knows the addresses the walk discovered.
struct Neighbourhood {
    // The SMB provider over the resolver: from its module unless a caller brings its own.
    using MakeSmb =
        std::function<std::unique_ptr<platform::NetworkProvider>(platform::SocketLibrary&)>;
    explicit Neighbourhood(MakeSmb makeSmb = LoadSmbProvider);

    // Long enough for discovery under loss, short beside a walk of SMB.
    static constexpr std::chrono::milliseconds kDiscoveryWindow{2000};
    static constexpr char kWsdProvider[] = "WSD";
    static constexpr char kMdnsProvider[] = "mDNS";
    // A WS-Discovery computer answers a name request at its own address; an mDNS name is
    // anyone's to claim.
    static constexpr DiscoveredHosts::Trust kWsdTrust = 2;
    static constexpr DiscoveredHosts::Trust kMdnsTrust = 1;

    DiscoveredHosts discovered;
    NameLookup resolver{discovered};
    // Made when the walk is prepared or first opens it: so the module loads off the window's
    // thread, and after the window is up.
    platform::posix::LazyNetworkProvider smb;
    DiscoveryProvider wsd{"WS-Discovery Network", kWsdProvider, wsd::Discover,
                          kDiscoveryWindow,       discovered,   kWsdTrust};
    DiscoveryProvider mdns{"Multicast DNS Network", kMdnsProvider, mdns::Discover,
                           kDiscoveryWindow,        discovered,    kMdnsTrust};
    std::once_flag smbOnce;
    std::unique_ptr<platform::NetworkProvider> smbMade;
    RouterProvider network{{{kSmbProviderName, &smb}, {kWsdProvider, &wsd}, {kMdnsProvider, &mdns}},
                           resolver,
                           discovered};
};

} // namespace neighbourhood
