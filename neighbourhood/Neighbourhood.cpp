#include "neighbourhood/Neighbourhood.h"

#include "neighbourhood/mdns/MdnsDiscovery.h"
#include "neighbourhood/wsd/WsdDiscovery.h"

namespace neighbourhood {

namespace {

std::vector<RouterProvider::Member> Members(const std::string& browseName,
                                            platform::NetworkProvider& browse,
                                            DiscoveryProvider& wsd, DiscoveryProvider& mdns,
                                            bool discovery) {
    std::vector<RouterProvider::Member> members{{browseName, &browse}};
    if (discovery) {
        members.push_back({Neighbourhood::kWsdProvider, &wsd});
        members.push_back({Neighbourhood::kMdnsProvider, &mdns});
    }
    return members;
}

} // namespace

Neighbourhood::Neighbourhood(Browse made, bool discovery)
    : browse([this, make = std::move(made.make)] {
          std::call_once(browseOnce_, [&] {
              try {
                  browseMade_ = make(resolver);
              } catch (const std::exception&) {
                  // Without it, the browse list lists nothing.
              }
          });
          return browseMade_.get();
      }),
      // A computer's name is looked up as soon as discovery knows it, so that its address is
      // there by the time its row is.
      wsd("WS-Discovery Network", kWsdProvider, wsd::Discover, kDiscoveryCeiling, discovered,
          kWsdTrust, [this](const DiscoveredComputer& found) { resolver.Expect(found.name); }),
      mdns("Multicast DNS Network", kMdnsProvider, mdns::Discover, kDiscoveryCeiling, discovered,
           kMdnsTrust, [this](const DiscoveredComputer& found) { resolver.Expect(found.name); }),
      network(Members(made.providerName, browse, wsd, mdns, discovery), resolver, discovered) {}

} // namespace neighbourhood
