#pragma once

#include "platform/Ipv4Address.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform::win32 {

// One IPv4 address of one of the machine's adapters, as GetAdaptersAddresses lists it.
struct AdapterAddress {
    std::uint32_t index = 0; // the interface's index
    std::string name;        // the adapter's name (a GUID)
    bool up = false;
    bool loopback = false;
    bool multicast = false;
    Ipv4Address address{};
    unsigned prefixLength = 0; // of the address's own network
};

// Every IPv4 address of every adapter; none when the system cannot list them.
std::vector<AdapterAddress> Ipv4AdapterAddresses();

} // namespace platform::win32
