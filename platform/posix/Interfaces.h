#pragma once

#include "platform/common/LocalAddress.h"

#include <netinet/in.h>

#include <istream>
#include <string>
#include <vector>

namespace platform::posix {

using platform::AnyNetworkUp;
using platform::ChooseLocalIPv4;
using platform::InterfaceEntry;

std::vector<InterfaceEntry> ReadInterfaces();

// An IPv4 address of a local network interface, with the interface's broadcast address and
// network mask.
struct Ipv4Link {
    std::string interface;
    in_addr address{};
    in_addr broadcast{};
    in_addr netmask{};
};

// True when the address lies on the link's network: a peer that can answer there directly.
bool OnLink(const Ipv4Link& link, in_addr address);

// The IPv4 addresses of the interfaces that are up, not loopback, and have the flag (for
// example IFF_MULTICAST or IFF_BROADCAST); each address once.
std::vector<Ipv4Link> LocalLinks(unsigned requiredFlag);

// The machine's host name; empty when it cannot be read.
std::string HostName();

// The interface of the default IPv4 route with the lowest metric, from the text of
// /proc/net/route; empty when there is none.
std::string DefaultRouteInterface(std::istream& routeTable);

} // namespace platform::posix
