#pragma once

#include "platform/Ipv4Address.h"

#include <optional>
#include <string>

namespace neighbourhood::net {

// The first IPv4 address that the system's resolver gives for the name (DNS, hosts file, and
// whatever else the system asks); nothing when it knows none.
std::optional<platform::Ipv4Address> SystemIpv4(const std::string& name);

} // namespace neighbourhood::net
