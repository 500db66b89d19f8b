#pragma once

#include "platform/Ipv4Address.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The datagram sockets of the discovery protocols and the name query, the same on every
// system: BSD sockets on Linux, Winsock 2 on Windows. Every socket is non-blocking; a wait is
// bounded and says which sockets have something to read.
namespace neighbourhood::net {

using platform::Ipv4Address;

// An IPv4 address of a local interface that is up and not loopback, with its network mask and
// broadcast address.
struct Link {
    std::string name; // of the interface
    Ipv4Address address{};
    Ipv4Address netmask{};
    Ipv4Address broadcast{};
};

// True when the address lies on the link's network: a peer that can answer there directly.
inline bool OnLink(const Link& link, const Ipv4Address& address) {
    for (std::size_t i = 0; i < address.size(); ++i) {
        if ((address[i] & link.netmask[i]) != (link.address[i] & link.netmask[i])) {
            return false;
        }
    }
    return true;
}

enum class LinkKind { Multicast, Broadcast };

// The links that can multicast, or broadcast; each address once, at most `limit`.
std::vector<Link> Links(LinkKind kind, std::size_t limit);

// Where a datagram came from, and its size.
struct Received {
    std::size_t size = 0;
    Ipv4Address from{};
    std::uint16_t port = 0;
};

class UdpSocket {
public:
    // Bound to the link's address on an ephemeral port; its multicast goes out of that link
    // with the TTL given and does not come back to it. Answers come back to it by unicast.
    static std::optional<UdpSocket> MulticastSender(const Link& link, unsigned char ttl);
    // On every address, an ephemeral port, allowed to send to broadcast addresses.
    static std::optional<UdpSocket> Broadcaster();
    // On 127.0.0.1, an ephemeral port: for a wake-up, and for tests.
    static std::optional<UdpSocket> Loopback();

    UdpSocket(UdpSocket&& other) noexcept;
    UdpSocket& operator=(UdpSocket&&) = delete;
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    ~UdpSocket();

    // The port it is bound to, in host order.
    std::uint16_t port() const;
    // Whether the datagram went out whole; a lost datagram is the protocols' business.
    bool SendTo(const Ipv4Address& to, std::uint16_t port, const void* data, std::size_t size);
    // The next datagram that fits the buffer, without waiting; one that does not fit is dropped.
    // Nothing when none is waiting, or after kMaxDropped dropped in a row: a flood of them
    // cannot hold the caller.
    std::optional<Received> Receive(void* buffer, std::size_t size);

private:
    explicit UdpSocket(std::uintptr_t handle) : handle_(handle) {}
    // Non-blocking, bound to the address on an ephemeral port.
    static std::optional<UdpSocket> Bound(const Ipv4Address& address);
    static constexpr std::uintptr_t kNone = ~std::uintptr_t{0};
    static constexpr int kMaxDropped = 64;
    friend std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets,
                                          std::chrono::milliseconds wait);
    std::uintptr_t handle_; // a descriptor or a SOCKET
};

// Waits until one of the sockets has a datagram (or an error) to read, or `wait` has passed
// (a negative wait is none); for each socket, whether it has.
std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets,
                               std::chrono::milliseconds wait);

// A multicast sender on each multicast link, at most `limit`: a socket per interface address,
// so that an answer tells the link it came in on.
struct LinkSocket {
    Link link;
    UdpSocket socket;
};
std::vector<LinkSocket> MulticastLinks(unsigned char ttl, std::size_t limit);

} // namespace neighbourhood::net
