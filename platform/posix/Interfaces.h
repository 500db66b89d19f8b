#pragma once

#include <netinet/in.h>

#include <istream>
#include <string>
#include <vector>

namespace platform::posix {

// One entry of the machine's interface list (one per address family and address).
struct InterfaceEntry {
    std::string name;
    bool up = false;
    bool loopback = false;
    std::string ipv4; // dotted text; empty for entries of another family
};

std::vector<InterfaceEntry> ReadInterfaces();

// An IPv4 address of a local network interface, with the interface's broadcast address.
struct Ipv4Link {
    std::string interface;
    in_addr address{};
    in_addr broadcast{};
};

// The IPv4 addresses of the interfaces that are up, not loopback, and have the flag (for
// example IFF_MULTICAST or IFF_BROADCAST); each address once.
std::vector<Ipv4Link> LocalLinks(unsigned requiredFlag);

// The machine's host name; empty when it cannot be read.
std::string HostName();

// The interface of the default IPv4 route with the lowest metric, from the text of
// /proc/net/route; empty when there is none.
std::string DefaultRouteInterface(std::istream& routeTable);

// The address of the default route's interface, else the first non-loopback address that is
// up, else a loopback address; empty when the machine has no IPv4 address at all.
std::string ChooseLocalIPv4(const std::vector<InterfaceEntry>& entries,
                            const std::string& defaultInterface);

// True when an interface other than loopback is up.
bool AnyNetworkUp(const std::vector<InterfaceEntry>& entries);

} // namespace platform::posix
