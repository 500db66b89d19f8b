#include "neighbourhood/net/SystemResolver.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace neighbourhood::net {

std::optional<platform::Ipv4Address> SystemIpv4(const std::string& name) {
    // Started for this call alone: the lookup keeps no state between calls.
    WSADATA data{};
    if (name.empty() || WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return std::nullopt;
    }
    std::optional<platform::Ipv4Address> address;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), nullptr, &hints, &found) == 0) {
        for (const addrinfo* it = found; it != nullptr && !address; it = it->ai_next) {
            if (it->ai_family == AF_INET && it->ai_addr != nullptr) {
                platform::Ipv4Address bytes{};
                std::memcpy(bytes.data(),
                            &reinterpret_cast<const sockaddr_in*>(it->ai_addr)->sin_addr,
                            bytes.size());
                address = bytes;
            }
        }
        freeaddrinfo(found);
    }
    WSACleanup();
    return address;
}

} // namespace neighbourhood::net
