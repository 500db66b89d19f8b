#pragma once

#include "neighbourhood/wsd/WsdEndpoints.h"

#include <chrono>
#include <stop_token>
#include <vector>

namespace neighbourhood::wsd {

// Probes every up, multicast-capable IPv4 interface for the window, resolves endpoints without
// addresses, asks each computer for its name; each computer once. Takes the whole window and no
// longer, and less when asked to stop; needs no event loop, so it runs on a plain thread.
std::vector<Computer> Discover(std::chrono::milliseconds window, std::stop_token stop = {});

} // namespace neighbourhood::wsd
