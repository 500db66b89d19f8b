#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace neighbourhood {

// True when a TCP connection to one of the ports of the IPv4 address (network order) opens
// within the wait; the ports are tried at the same time.
bool CanConnect(const std::vector<std::uint8_t>& address,
                std::initializer_list<std::uint16_t> ports, std::chrono::milliseconds wait);

} // namespace neighbourhood
