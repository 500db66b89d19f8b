#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace neighbourhood::netbios {

// Asks every broadcast-capable IPv4 interface that is up for the name's address (network
// order); the first answer wins.
std::optional<std::vector<std::uint8_t>> Query(const std::string& name,
                                               std::chrono::milliseconds wait);

} // namespace neighbourhood::netbios
