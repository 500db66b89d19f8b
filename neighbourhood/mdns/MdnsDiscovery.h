#pragma once

#include "neighbourhood/mdns/MdnsCollector.h"

#include <chrono>
#include <stop_token>
#include <vector>

namespace neighbourhood::mdns {

// One-shot legacy-unicast DNS-SD queries on every up, multicast-capable IPv4 interface, until
// the answers have come (DiscoveryWindow), the ceiling at the latest, or until asked to stop; the
// computers found, each once (and told to `found` as soon as known), host names from the SRV
// targets without ".local".
std::vector<Computer> Discover(std::chrono::milliseconds ceiling, std::stop_token stop = {},
                               const Found& found = {});

} // namespace neighbourhood::mdns
