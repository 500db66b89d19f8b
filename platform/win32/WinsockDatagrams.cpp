#include "platform/win32/WinsockDatagrams.h"

#include <windows.h>

#include <winsock.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace platform::win32 {

namespace {

constexpr std::size_t kReceiveSize = 2048;

// The library started for as long as it lives (start-ups are counted: each pairs with a
// clean-up).
class Started {
public:
    Started() {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~Started() {
        if (started_) {
            WSACleanup();
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

private:
    bool started_ = false;
};

sockaddr_in ToSockaddr(const UdpEndpoint& endpoint) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.port);
    std::memcpy(&address.sin_addr, endpoint.address.data(), 4);
    return address;
}

class WinsockUdpSocket final : public UdpSocket {
public:
    WinsockUdpSocket() : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {}
    bool valid() const { return socket_ != INVALID_SOCKET; }
    ~WinsockUdpSocket() override {
        if (valid()) {
            closesocket(socket_);
        }
    }
    WinsockUdpSocket(const WinsockUdpSocket&) = delete;
    WinsockUdpSocket& operator=(const WinsockUdpSocket&) = delete;

    bool sendTo(const UdpEndpoint& to, std::string_view bytes) override {
        const sockaddr_in address = ToSockaddr(to);
        return sendto(socket_, bytes.data(), static_cast<int>(bytes.size()), 0,
                      reinterpret_cast<const sockaddr*>(&address),
                      sizeof address) == static_cast<int>(bytes.size());
    }

    std::optional<Datagram> receive(std::chrono::milliseconds wait) override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        const auto ms = std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, 60000);
        timeval timeout{static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
        if (select(0, &readable, nullptr, nullptr, &timeout) <= 0) {
            return std::nullopt;
        }
        std::array<char, kReceiveSize> buffer{};
        sockaddr_in from{};
        int fromSize = sizeof from;
        // A datagram larger than the buffer fails with WSAEMSGSIZE: it is dropped.
        const int received = recvfrom(socket_, buffer.data(), static_cast<int>(buffer.size()), 0,
                                      reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (received < 0 || from.sin_family != AF_INET) {
            return std::nullopt;
        }
        Ipv4Address address{};
        std::memcpy(address.data(), &from.sin_addr, 4);
        return Datagram{{address, ntohs(from.sin_port)},
                        std::string(buffer.data(), static_cast<std::size_t>(received))};
    }

private:
    Started started_; // before the socket, which it outlives
    SOCKET socket_;
};

} // namespace

std::unique_ptr<UdpSocket> WinsockDatagrams::open() {
    auto socket = std::make_unique<WinsockUdpSocket>();
    if (!socket->valid()) {
        return nullptr;
    }
    return socket;
}

std::vector<Ipv4Address> WinsockDatagrams::resolve(const std::string& host) {
    const Started started;
    std::vector<Ipv4Address> addresses;
    // A numeric address is taken as it stands; gethostbyname would ask for it by name.
    const unsigned long numeric = inet_addr(host.c_str());
    if (numeric != INADDR_NONE) {
        Ipv4Address address{};
        std::memcpy(address.data(), &numeric, 4);
        addresses.push_back(address);
        return addresses;
    }
    const hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4) {
        return addresses;
    }
    for (char** listed = entry->h_addr_list; listed != nullptr && *listed != nullptr; ++listed) {
        Ipv4Address address{};
        std::memcpy(address.data(), *listed, 4);
        addresses.push_back(address);
    }
    return addresses;
}

std::string WinsockDatagrams::nameOf(const Ipv4Address& address) {
    const Started started;
    const hostent* entry = gethostbyaddr(reinterpret_cast<const char*>(address.data()), 4, AF_INET);
    return entry != nullptr && entry->h_name != nullptr ? entry->h_name : "";
}

} // namespace platform::win32
