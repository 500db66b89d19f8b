#pragma once

#include "platform/Ipv4Address.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct UdpEndpoint {
    Ipv4Address address{};
    std::uint16_t port = 0;
    bool operator==(const UdpEndpoint&) const = default;
};

struct Datagram {
    UdpEndpoint from;
    std::string bytes;
};

// An unbound IPv4 UDP socket; the system picks its port at the first send.
class UdpSocket {
public:
    virtual ~UdpSocket() = default;
    // False when the datagram could not be handed to the system.
    virtual bool sendTo(const UdpEndpoint& to, std::string_view bytes) = 0;
    // The next datagram that arrives within `wait`; nothing when none did.
    virtual std::optional<Datagram> receive(std::chrono::milliseconds wait) = 0;
};

// UDP and the system resolver's answers about Internet hosts. resolve() and nameOf() wait as
// long as the resolver does: callers bound them.
class Datagrams {
public:
    virtual ~Datagrams() = default;
    // Null when no socket could be made.
    virtual std::unique_ptr<UdpSocket> open() = 0;
    // The IPv4 addresses of a host name or of a numeric address; empty when there are none.
    virtual std::vector<Ipv4Address> resolve(const std::string& host) = 0;
    // The name registered for the address (its PTR record); empty when there is none.
    virtual std::string nameOf(const Ipv4Address& address) = 0;
};

} // namespace platform
