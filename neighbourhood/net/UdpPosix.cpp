#include "neighbourhood/net/Udp.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace neighbourhood::net {

namespace {

Ipv4Address FromSockaddr(const sockaddr* address) {
    Ipv4Address bytes{};
    if (address != nullptr && address->sa_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(address);
        std::memcpy(bytes.data(), &in->sin_addr, bytes.size());
    }
    return bytes;
}

sockaddr_in ToSockaddr(const Ipv4Address& address, std::uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, address.data(), address.size());
    return to;
}

int Fd(std::uintptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

std::vector<Link> Links(LinkKind kind, std::size_t limit) {
    std::vector<Link> links;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return links;
    }
    const unsigned required = kind == LinkKind::Multicast ? IFF_MULTICAST : IFF_BROADCAST;
    for (const ifaddrs* it = list; it != nullptr && links.size() < limit; it = it->ifa_next) {
        const unsigned flags = it->ifa_flags;
        if ((flags & IFF_UP) == 0 || (flags & IFF_LOOPBACK) != 0 || (flags & required) == 0 ||
            it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        Link link;
        link.name = it->ifa_name != nullptr ? it->ifa_name : "";
        link.address = FromSockaddr(it->ifa_addr);
        link.netmask = FromSockaddr(it->ifa_netmask);
        if ((flags & IFF_BROADCAST) != 0) {
            link.broadcast = FromSockaddr(it->ifa_broadaddr);
        }
        if (std::none_of(links.begin(), links.end(),
                         [&](const Link& other) { return other.address == link.address; })) {
            links.push_back(std::move(link));
        }
    }
    freeifaddrs(list);
    return links;
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

UdpSocket::~UdpSocket() {
    if (handle_ != kNone) {
        close(Fd(handle_));
    }
}

std::optional<UdpSocket> UdpSocket::Bound(const Ipv4Address& address) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    UdpSocket sock(static_cast<std::uintptr_t>(fd));
    const sockaddr_in local = ToSockaddr(address, 0);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return std::nullopt;
    }
    return sock;
}

std::optional<UdpSocket> UdpSocket::MulticastSender(const Link& link, unsigned char ttl) {
    auto sock = Bound(link.address);
    ip_mreqn outgoing{};
    std::memcpy(&outgoing.imr_address, link.address.data(), link.address.size());
    outgoing.imr_ifindex = static_cast<int>(if_nametoindex(link.name.c_str()));
    const unsigned char loop = 0;
    if (!sock ||
        setsockopt(Fd(sock->handle_), IPPROTO_IP, IP_MULTICAST_IF, &outgoing, sizeof outgoing) !=
            0 ||
        setsockopt(Fd(sock->handle_), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
        setsockopt(Fd(sock->handle_), IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0) {
        return std::nullopt;
    }
    return sock;
}

std::optional<UdpSocket> UdpSocket::Broadcaster() {
    auto sock = Bound({0, 0, 0, 0});
    const int on = 1;
    if (!sock || setsockopt(Fd(sock->handle_), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return std::nullopt;
    }
    return sock;
}

std::uint16_t UdpSocket::port() const {
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

bool UdpSocket::SendTo(const Ipv4Address& to, std::uint16_t port, const void* data,
                       std::size_t size) {
    const sockaddr_in address = ToSockaddr(to, port);
    return sendto(Fd(handle_), data, size, 0, reinterpret_cast<const sockaddr*>(&address),
                  sizeof address) == static_cast<ssize_t>(size);
}

std::optional<Received> UdpSocket::Receive(void* buffer, std::size_t size) {
    for (int dropped = 0; dropped < kMaxDropped; ++dropped) {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        // MSG_TRUNC: the datagram's own length, so that one cut to the buffer is seen.
        const ssize_t got = recvfrom(Fd(handle_), buffer, size, MSG_TRUNC,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(got) <= size) {
            return Received{static_cast<std::size_t>(got),
                            FromSockaddr(reinterpret_cast<const sockaddr*>(&from)),
                            ntohs(from.sin_port)};
        }
    }
    return std::nullopt;
}

std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets,
                               std::chrono::milliseconds wait) {
    std::vector<pollfd> pollers;
    for (const UdpSocket* sock : sockets) {
        pollers.push_back({Fd(sock->handle_), POLLIN, 0});
    }
    const int timeout = static_cast<int>(std::max(wait, std::chrono::milliseconds(0)).count());
    std::vector<bool> ready(sockets.size(), false);
    if (poll(pollers.data(), pollers.size(), timeout) > 0) {
        for (std::size_t i = 0; i < pollers.size(); ++i) {
            ready[i] = pollers[i].revents != 0;
        }
    }
    return ready;
}

} // namespace neighbourhood::net
