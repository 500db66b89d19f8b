#pragma once

#include "platform/Datagrams.h"

namespace platform::posix {

// UDP over BSD sockets; names through getaddrinfo and getnameinfo. Keeps no state, so a call
// that outlives its caller touches nothing of it.
class PosixDatagrams final : public Datagrams {
public:
    std::unique_ptr<UdpSocket> open() override;
    std::vector<Ipv4Address> resolve(const std::string& host) override;
    std::string nameOf(const Ipv4Address& address) override;
};

} // namespace platform::posix
