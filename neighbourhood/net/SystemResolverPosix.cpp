#include "neighbourhood/net/SystemResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

namespace neighbourhood::net {

std::optional<platform::Ipv4Address> SystemIpv4(const std::string& name) {
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
            platform::Ipv4Address bytes{};
            std::memcpy(bytes.data(), &reinterpret_cast<const sockaddr_in*>(it->ai_addr)->sin_addr,
                        bytes.size());
            return bytes;
        }
    }
    return std::nullopt;
}

} // namespace neighbourhood::net
