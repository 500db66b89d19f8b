#pragma once

#include "neighbourhood/wsd/WsdEndpoints.h"

#include <chrono>
#include <stop_token>
#include <vector>

namespace neighbourhood::wsd {

// Probes every up, multicast-capable IPv4 interface, resolves endpoints without addresses, asks
// each computer for its name; each computer once, told to `found` as soon as it is named. Ends
// when the answers have come (DiscoveryWindow), at the ceiling at the latest, or sooner when
// asked to stop; needs no event loop, so it runs on a plain thread.
std::vector<Computer> Discover(std::chrono::milliseconds ceiling, std::stop_token stop = {},
                               const Found& found = {});

} // namespace neighbourhood::wsd
