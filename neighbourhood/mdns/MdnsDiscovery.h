#pragma once

#include "neighbourhood/mdns/MdnsCollector.h"

#include <chrono>
#include <vector>

namespace neighbourhood::mdns {

// One-shot legacy-unicast DNS-SD queries on every up, multicast-capable IPv4 interface, for the
// window; the computers found, each once, host names from the SRV targets without ".local".
std::vector<Computer> Discover(std::chrono::milliseconds window);

} // namespace neighbourhood::mdns
