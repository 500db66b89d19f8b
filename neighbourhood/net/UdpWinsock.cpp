#include "neighbourhood/net/Udp.h"

#include "platform/win32/Adapters.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <mswsock.h>

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace neighbourhood::net {

namespace {

SOCKET Handle(std::uintptr_t handle) {
    return static_cast<SOCKET>(handle);
}

sockaddr_in ToSockaddr(const Ipv4Address& address, std::uint16_t port) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, address.data(), address.size());
    return to;
}

Ipv4Address FromSockaddr(const sockaddr_in& address) {
    Ipv4Address bytes{};
    std::memcpy(bytes.data(), &address.sin_addr, bytes.size());
    return bytes;
}

Ipv4Address MaskOf(unsigned prefixLength) {
    Ipv4Address mask{};
    for (std::size_t i = 0; i < mask.size(); ++i) {
        const unsigned bits = std::min(8U, prefixLength - std::min(prefixLength, 8U * unsigned(i)));
        mask[i] = static_cast<std::uint8_t>(0xFF00U >> bits);
    }
    return mask;
}

} // namespace

std::vector<Link> Links(LinkKind kind, std::size_t limit) {
    std::vector<Link> links;
    for (const auto& adapter : platform::win32::Ipv4AdapterAddresses()) {
        if (!adapter.up || adapter.loopback ||
            (kind == LinkKind::Multicast && !adapter.multicast) || links.size() >= limit ||
            std::any_of(links.begin(), links.end(),
                        [&](const Link& other) { return other.address == adapter.address; })) {
            continue;
        }
        Link link{adapter.name, adapter.address, MaskOf(adapter.prefixLength), {}};
        for (std::size_t i = 0; i < link.address.size(); ++i) {
            link.broadcast[i] = static_cast<std::uint8_t>(link.address[i] | ~link.netmask[i]);
        }
        links.push_back(std::move(link));
    }
    return links;
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

UdpSocket::~UdpSocket() {
    if (handle_ != kNone) {
        closesocket(Handle(handle_));
        WSACleanup(); // each socket started the library for itself
    }
}

namespace {

bool SetDword(SOCKET sock, int level, int option, DWORD value) {
    return setsockopt(sock, level, option, reinterpret_cast<const char*>(&value), sizeof value) ==
           0;
}

} // namespace

std::optional<UdpSocket> UdpSocket::Bound(const Ipv4Address& address) {
    // Each socket starts the library for itself (its destructor cleans up).
    WSADATA data{};
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        return std::nullopt;
    }
    const SOCKET handle = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (handle == INVALID_SOCKET) {
        WSACleanup();
        return std::nullopt;
    }
    UdpSocket sock(static_cast<std::uintptr_t>(handle));
    u_long nonBlocking = 1;
    // A port unreachable answer to something sent would otherwise fail the next receive.
    BOOL reportReset = FALSE;
    DWORD unused = 0;
    const sockaddr_in local = ToSockaddr(address, 0);
    if (ioctlsocket(handle, FIONBIO, &nonBlocking) != 0 ||
        bind(handle, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return std::nullopt;
    }
    WSAIoctl(handle, SIO_UDP_CONNRESET, &reportReset, sizeof reportReset, nullptr, 0, &unused,
             nullptr, nullptr);
    return sock;
}

std::optional<UdpSocket> UdpSocket::MulticastSender(const Link& link, unsigned char ttl) {
    auto sock = Bound(link.address);
    DWORD outgoing = 0; // the interface's address, in network order
    std::memcpy(&outgoing, link.address.data(), sizeof outgoing);
    if (!sock || !SetDword(Handle(sock->handle_), IPPROTO_IP, IP_MULTICAST_IF, outgoing) ||
        !SetDword(Handle(sock->handle_), IPPROTO_IP, IP_MULTICAST_TTL, ttl) ||
        !SetDword(Handle(sock->handle_), IPPROTO_IP, IP_MULTICAST_LOOP, 0)) {
        return std::nullopt;
    }
    return sock;
}

std::optional<UdpSocket> UdpSocket::Broadcaster() {
    auto sock = Bound({0, 0, 0, 0});
    if (!sock || !SetDword(Handle(sock->handle_), SOL_SOCKET, SO_BROADCAST, TRUE)) {
        return std::nullopt;
    }
    return sock;
}

std::uint16_t UdpSocket::port() const {
    sockaddr_in local{};
    int size = sizeof local;
    if (getsockname(Handle(handle_), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        return 0;
    }
    return ntohs(local.sin_port);
}

bool UdpSocket::SendTo(const Ipv4Address& to, std::uint16_t port, const void* data,
                       std::size_t size) {
    const sockaddr_in address = ToSockaddr(to, port);
    return size <= static_cast<std::size_t>(INT32_MAX) &&
           sendto(Handle(handle_), static_cast<const char*>(data), static_cast<int>(size), 0,
                  reinterpret_cast<const sockaddr*>(&address),
                  sizeof address) == static_cast<int>(size);
}

std::optional<Received> UdpSocket::Receive(void* buffer, std::size_t size) {
    const int capacity = static_cast<int>(std::min<std::size_t>(size, INT32_MAX));
    for (int dropped = 0; dropped < kMaxDropped; ++dropped) {
        sockaddr_in from{};
        int fromSize = sizeof from;
        const int got = recvfrom(Handle(handle_), static_cast<char*>(buffer), capacity, 0,
                                 reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got >= 0) {
            return Received{static_cast<std::size_t>(got), FromSockaddr(from),
                            ntohs(from.sin_port)};
        }
        const int error = WSAGetLastError();
        // Too big for the buffer (the rest is gone), or an unreachable port's echo: the next.
        if (error != WSAEMSGSIZE && error != WSAECONNRESET) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::vector<bool> WaitReadable(const std::vector<const UdpSocket*>& sockets,
                               std::chrono::milliseconds wait) {
    const auto time = std::max(wait, std::chrono::milliseconds(0));
    std::vector<bool> ready(sockets.size(), false);
    fd_set readable;
    FD_ZERO(&readable);
    for (const UdpSocket* sock : sockets) {
        FD_SET(Handle(sock->handle_), &readable);
    }
    if (readable.fd_count == 0) {
        // select() with no socket at all is an error here, not a wait.
        std::this_thread::sleep_for(time);
        return ready;
    }
    timeval timeout{static_cast<long>(time.count() / 1000),
                    static_cast<long>((time.count() % 1000) * 1000)};
    if (select(0, &readable, nullptr, nullptr, &timeout) > 0) {
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            ready[i] = FD_ISSET(Handle(sockets[i]->handle_), &readable) != 0;
        }
    }
    return ready;
}

} // namespace neighbourhood::net
