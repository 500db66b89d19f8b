#include "platform/posix/NetbiosNameQuery.h"

#include "platform/posix/Interfaces.h"
#include "platform/posix/Socket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <random>

namespace platform::posix::netbios {

namespace {

constexpr std::uint16_t kPort = 137;
constexpr std::uint16_t kTypeNB = 0x0020;
constexpr std::uint16_t kClassIN = 0x0001;
constexpr std::size_t kHeaderSize = 12;

void Put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

std::uint16_t Get16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>((at[0] << 8) | at[1]);
}

// Skips an encoded name (labels or a compression pointer); 0 when it runs past the end.
std::size_t SkipName(const std::uint8_t* data, std::size_t size, std::size_t at) {
    for (int labels = 0; at < size && labels < 64; ++labels) {
        const std::uint8_t length = data[at];
        if (length == 0) {
            return at + 1;
        }
        if ((length & 0xC0) == 0xC0) {
            return at + 2 <= size ? at + 2 : 0;
        }
        at += 1 + length;
    }
    return 0;
}

std::vector<in_addr> BroadcastAddresses() {
    std::vector<in_addr> addresses;
    for (const Ipv4Link& link : LocalLinks(IFF_BROADCAST)) {
        addresses.push_back(link.broadcast);
    }
    return addresses;
}

} // namespace

std::optional<std::vector<std::uint8_t>> EncodeQuery(std::uint16_t id, const std::string& name,
                                                     std::uint8_t suffix) {
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '*') {
        return std::nullopt;
    }
    std::vector<std::uint8_t> packet;
    Put16(packet, id);
    Put16(packet, 0x0110); // a query, recursion desired, broadcast
    Put16(packet, 1);      // one question
    Put16(packet, 0);
    Put16(packet, 0);
    Put16(packet, 0);
    std::string padded;
    for (const char c : name) {
        padded += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    padded.resize(kMaxNameLength, ' ');
    padded += static_cast<char>(suffix);
    packet.push_back(32);
    for (const char c : padded) {
        const auto byte = static_cast<std::uint8_t>(c);
        packet.push_back(static_cast<std::uint8_t>('A' + (byte >> 4)));
        packet.push_back(static_cast<std::uint8_t>('A' + (byte & 0x0F)));
    }
    packet.push_back(0);
    Put16(packet, kTypeNB);
    Put16(packet, kClassIN);
    return packet;
}

std::optional<std::vector<std::uint8_t>> DecodeAnswer(const std::uint8_t* data, std::size_t size,
                                                      std::uint16_t id) {
    if (size < kHeaderSize || Get16(data) != id) {
        return std::nullopt;
    }
    const std::uint16_t flags = Get16(data + 2);
    const bool response = (flags & 0x8000) != 0;
    const int rcode = flags & 0x000F;
    if (!response || rcode != 0 || Get16(data + 6) == 0) {
        return std::nullopt;
    }
    std::size_t at = kHeaderSize;
    for (std::uint16_t q = Get16(data + 4); q > 0; --q) {
        at = SkipName(data, size, at);
        if (at == 0 || at + 4 > size) {
            return std::nullopt;
        }
        at += 4;
    }
    at = SkipName(data, size, at);
    if (at == 0 || at + 10 > size) {
        return std::nullopt;
    }
    const std::uint16_t type = Get16(data + at);
    const std::uint16_t length = Get16(data + at + 8);
    at += 10;
    // Each address entry: two flag bytes, then four address bytes.
    if (type != kTypeNB || length < 6 || at + length > size) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(data + at + 2, data + at + 6);
}

std::optional<std::vector<std::uint8_t>> Query(const std::string& name,
                                               std::chrono::milliseconds wait) {
    const std::vector<in_addr> targets = BroadcastAddresses();
    if (targets.empty()) {
        return std::nullopt;
    }
    std::random_device random;
    const auto id = static_cast<std::uint16_t>(random());
    std::vector<std::vector<std::uint8_t>> queries;
    for (const std::uint8_t suffix : {kServer, kWorkstation}) {
        auto packet = EncodeQuery(static_cast<std::uint16_t>(id + suffix), name, suffix);
        if (!packet) {
            return std::nullopt;
        }
        queries.push_back(std::move(*packet));
    }
    Socket sock(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (sock.fd() < 0 || setsockopt(sock.fd(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return std::nullopt;
    }
    auto send = [&] {
        for (const in_addr& target : targets) {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(kPort);
            to.sin_addr = target;
            for (const auto& query : queries) {
                sendto(sock.fd(), query.data(), query.size(), 0, reinterpret_cast<sockaddr*>(&to),
                       sizeof to);
            }
        }
    };
    // Once at the start and once half way, as a broadcast can be lost.
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + wait;
    const auto resend = start + wait / 2;
    bool resent = false;
    send();
    for (auto now = start; now < deadline; now = Clock::now()) {
        if (!resent && now >= resend) {
            send();
            resent = true;
        }
        const auto until = resent ? deadline : resend;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now);
        pollfd poller{sock.fd(), POLLIN, 0};
        if (poll(&poller, 1, static_cast<int>(left.count()) + 1) <= 0) {
            continue;
        }
        std::uint8_t answer[1500];
        const ssize_t got = recv(sock.fd(), answer, sizeof answer, 0);
        if (got <= 0) {
            continue;
        }
        for (const std::uint8_t suffix : {kServer, kWorkstation}) {
            auto address = DecodeAnswer(answer, static_cast<std::size_t>(got),
                                        static_cast<std::uint16_t>(id + suffix));
            if (address) {
                return address;
            }
        }
    }
    return std::nullopt;
}

} // namespace platform::posix::netbios
