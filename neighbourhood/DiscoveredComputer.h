#pragma once

#include "platform/Ipv4Address.h"

#include <string>

namespace neighbourhood {

// A computer that a discovery protocol found, as WS-Discovery and mDNS both give it: cleaned
// and capped where its message came in (CleanName), the nameless left out.
struct DiscoveredComputer {
    std::string name;
    std::string group; // workgroup or domain; "local" for DNS-SD
    std::string comment;
    platform::Ipv4Address address{};
    bool operator==(const DiscoveredComputer&) const = default;
};

} // namespace neighbourhood
