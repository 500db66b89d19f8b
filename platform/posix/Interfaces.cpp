#include "platform/posix/Interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace platform::posix {

std::vector<InterfaceEntry> ReadInterfaces() {
    std::vector<InterfaceEntry> entries;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return entries;
    }
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        InterfaceEntry entry;
        entry.name = it->ifa_name != nullptr ? it->ifa_name : "";
        entry.up = (it->ifa_flags & IFF_UP) != 0;
        entry.loopback = (it->ifa_flags & IFF_LOOPBACK) != 0;
        if (it->ifa_addr != nullptr && it->ifa_addr->sa_family == AF_INET) {
            char text[INET_ADDRSTRLEN] = {};
            const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
            if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) != nullptr) {
                entry.ipv4 = text;
            }
        }
        entries.push_back(std::move(entry));
    }
    freeifaddrs(list);
    return entries;
}

std::string HostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

std::string DefaultRouteInterface(std::istream& routeTable) {
    constexpr unsigned kRouteUp = 0x1;
    std::string line;
    std::getline(routeTable, line); // column headers
    std::string best;
    long bestMetric = LONG_MAX;
    while (std::getline(routeTable, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags, refCount, use, metric, mask;
        if (!(fields >> iface >> destination >> gateway >> flags >> refCount >> use >> metric >>
              mask)) {
            continue;
        }
        const unsigned flagBits = static_cast<unsigned>(std::strtoul(flags.c_str(), nullptr, 16));
        if (destination != "00000000" || mask != "00000000" || (flagBits & kRouteUp) == 0) {
            continue;
        }
        const long metricValue = std::strtol(metric.c_str(), nullptr, 10);
        if (metricValue < bestMetric) {
            bestMetric = metricValue;
            best = iface;
        }
    }
    return best;
}

} // namespace platform::posix
