#pragma once

#include "logic/internet/ExternalAddress.h"

#include <string>
#include <string_view>
#include <vector>

// Where the load asks for the external address and its host name: the STUN servers and the
// resolver when the build has no address page of its own, else the address page.
namespace InternetAddress {

// What the page writes before each value; the value ends at the next "</b>".
inline constexpr char kAddressMarker[] = "<b>Your IP: ";
inline constexpr char kHostMarker[] = "<b>Host: ";

struct Road {
    std::vector<ExternalAddress::StunServer> stunServers; // none: the page
    std::string pageUrl;
    bool viaStun() const { return !stunServers.empty(); }
};

// The road of this build: its STUN servers, or its address page.
Road BuildRoad();
// The road with these STUN servers ("host:port;..."; empty: the build's address page).
Road RoadOf(std::string_view stunServers);

} // namespace InternetAddress
