#pragma once

#include "neighbourhood/mdns/MdnsCollector.h"

#include <chrono>
#include <stop_token>
#include <vector>

namespace neighbourhood::mdns {

// One-shot legacy-unicast DNS-SD queries on every up, multicast-capable IPv4 interface, for the
// window, or until asked to stop; the computers found, each once, host names from the SRV
// targets without ".local".
std::vector<Computer> Discover(std::chrono::milliseconds window, std::stop_token stop = {});

} // namespace neighbourhood::mdns
