#pragma once

#include <string>
#include <vector>

namespace platform {

// One entry of the machine's interface list (one per address family and address).
struct InterfaceEntry {
    std::string name;
    bool up = false;
    bool loopback = false;
    std::string ipv4; // dotted text; empty for entries of another family
};

// The address of the default route's interface, else the first non-loopback address that is
// up, else a loopback address; empty when the machine has no IPv4 address at all.
std::string ChooseLocalIPv4(const std::vector<InterfaceEntry>& entries,
                            const std::string& defaultInterface);

// True when an interface other than loopback is up.
bool AnyNetworkUp(const std::vector<InterfaceEntry>& entries);

} // namespace platform
