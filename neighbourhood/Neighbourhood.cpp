#include "neighbourhood/Neighbourhood.h"

#include "neighbourhood/mdns/MdnsDiscovery.h"
#include "neighbourhood/wsd/WsdDiscovery.h"

namespace neighbourhood {

Neighbourhood::Neighbourhood(MakeSmb makeSmb)
    : smb([this, makeSmb = std::move(makeSmb)] {
          std::call_once(smbOnce, [&] {
              try {
                  smbMade = makeSmb(resolver);
              } catch (const std::exception&) {
                  // Without it, SMB lists nothing.
              }
          });
          return smbMade.get();
      }) {}

std::vector<DiscoveredComputer> Neighbourhood::WsdComputers(std::chrono::milliseconds window,
                                                            std::stop_token stop) {
    std::vector<DiscoveredComputer> computers;
    for (const wsd::Computer& found : wsd::Discover(window, stop)) {
        computers.push_back({found.name, found.group, found.friendlyName, found.address});
    }
    return computers;
}

std::vector<DiscoveredComputer> Neighbourhood::MdnsComputers(std::chrono::milliseconds window,
                                                             std::stop_token stop) {
    // DNS-SD names live in the domain "local"; it stands where a workgroup would.
    std::vector<DiscoveredComputer> computers;
    for (const mdns::Computer& found : mdns::Discover(window, stop)) {
        computers.push_back({found.name, "local", "", found.address});
    }
    return computers;
}

} // namespace neighbourhood
