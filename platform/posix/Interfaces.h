#pragma once

#include "platform/common/LocalAddress.h"

#include <netinet/in.h>

#include <istream>
#include <string>
#include <vector>

namespace platform::posix {

using platform::AnyNetworkUp;
using platform::ChooseLocalIPv4;
using platform::InterfaceEntry;

std::vector<InterfaceEntry> ReadInterfaces();

// The machine's host name; empty when it cannot be read.
std::string HostName();

// The interface of the default IPv4 route with the lowest metric, from the text of
// /proc/net/route; empty when there is none.
std::string DefaultRouteInterface(std::istream& routeTable);

} // namespace platform::posix
