#include "platform/posix/PosixDatagrams.h"

#include "platform/posix/Socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace platform::posix {

namespace {

// Larger datagrams arrive cut, and a cut answer reads as malformed.
constexpr std::size_t kReceiveSize = 2048;

sockaddr_in ToSockaddr(const UdpEndpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), 4);
    return address;
}

Ipv4Address FromInAddr(const in_addr& address) {
    Ipv4Address bytes{};
    std::memcpy(bytes.data(), &address, 4);
    return bytes;
}

class PosixUdpSocket final : public UdpSocket {
public:
    explicit PosixUdpSocket(Socket socket) : socket_(std::move(socket)) {}

    bool sendTo(const UdpEndpoint& to, std::string_view bytes) override {
        const sockaddr_in address = ToSockaddr(to);
        return sendto(socket_.fd(), bytes.data(), bytes.size(), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&address),
                      sizeof address) == static_cast<ssize_t>(bytes.size());
    }

    std::optional<Datagram> receive(std::chrono::milliseconds wait) override {
        pollfd ready{socket_.fd(), POLLIN, 0};
        const int timeout = static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(
            wait.count(), 0, std::chrono::milliseconds::rep{60000}));
        if (poll(&ready, 1, timeout) <= 0) {
            return std::nullopt;
        }
        std::array<char, kReceiveSize> buffer{};
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t received = recvfrom(socket_.fd(), buffer.data(), buffer.size(), 0,
                                          reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (received < 0 || from.sin_family != AF_INET) {
            return std::nullopt;
        }
        return Datagram{{FromInAddr(from.sin_addr), ntohs(from.sin_port)},
                        std::string(buffer.data(), static_cast<std::size_t>(received))};
    }

private:
    Socket socket_;
};

} // namespace

std::unique_ptr<UdpSocket> PosixDatagrams::open() {
    Socket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (socket.fd() < 0) {
        return nullptr;
    }
    return std::make_unique<PosixUdpSocket>(std::move(socket));
}

std::vector<Ipv4Address> PosixDatagrams::resolve(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    std::vector<Ipv4Address> addresses;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
        return addresses;
    }
    for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            addresses.push_back(
                FromInAddr(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr));
        }
    }
    freeaddrinfo(found);
    return addresses;
}

std::string PosixDatagrams::nameOf(const Ipv4Address& address) {
    sockaddr_in socketAddress = ToSockaddr({address, 0});
    std::array<char, NI_MAXHOST> name{};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&socketAddress), sizeof socketAddress,
                    name.data(), name.size(), nullptr, 0, NI_NAMEREQD) != 0) {
        return "";
    }
    return name.data();
}

} // namespace platform::posix
