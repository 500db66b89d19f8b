#include "neighbourhood/NameLookup.h"

#include "neighbourhood/netbios/NetbiosNameQuery.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

namespace neighbourhood {

namespace {

std::optional<std::vector<std::uint8_t>> SystemLookup(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, freeaddrinfo);
    for (const addrinfo* it = found; it != nullptr; it = it->ai_next) {
        if (it->ai_family == AF_INET && it->ai_addr != nullptr) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(it->ai_addr);
            std::vector<std::uint8_t> bytes(4);
            std::memcpy(bytes.data(), &in->sin_addr, 4);
            return bytes;
        }
    }
    return std::nullopt;
}

} // namespace

platform::SocketStartup NameLookup::startup(std::uint16_t requestedVersion) {
    // Whatever version is asked for is available; sockets are limited only by the system.
    return {0, requestedVersion, 32767};
}

NameLookup::Lookup NameLookup::SystemResolver() {
    return SystemLookup;
}

NameLookup::Lookup NameLookup::NetbiosQuery(std::chrono::milliseconds wait) {
    return [wait](const std::string& name) { return netbios::Query(name, wait); };
}

std::optional<platform::HostEntry> NameLookup::getHostByName(const std::string& name) {
    auto address = system_(name);
    if (!address && discovered_ != nullptr) {
        if (const auto found = discovered_->find(name)) {
            address.emplace(found->begin(), found->end());
        }
    }
    if (!address) {
        address = netbios_(name);
    }
    if (!address) {
        return std::nullopt;
    }
    return platform::HostEntry{4, {std::move(*address)}};
}

} // namespace neighbourhood
