#pragma once

#include "neighbourhood/wsd/WsdEndpoints.h"

#include <chrono>
#include <vector>

namespace neighbourhood::wsd {

// Probes every up, multicast-capable IPv4 interface for the window, resolves endpoints without
// addresses, asks each computer for its name; each computer once. Takes the whole window and no
// longer; needs no event loop, so it runs on a plain thread.
std::vector<Computer> Discover(std::chrono::milliseconds window);

} // namespace neighbourhood::wsd
