#include "neighbourhood/netbios/NetbiosNameQuery.h"

#include "neighbourhood/netbios/NetbiosMessage.h"
#include "platform/posix/Interfaces.h"
#include "platform/posix/Socket.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <random>

namespace neighbourhood::netbios {

namespace {

using platform::posix::Ipv4Link;
using platform::posix::Socket;

constexpr std::uint16_t kPort = 137;

} // namespace

std::optional<std::vector<std::uint8_t>> Query(const std::string& name,
                                               std::chrono::milliseconds wait) {
    const std::vector<Ipv4Link> links = platform::posix::LocalLinks(IFF_BROADCAST);
    if (links.empty()) {
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
        for (const Ipv4Link& link : links) {
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_port = htons(kPort);
            to.sin_addr = link.broadcast;
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
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = recvfrom(sock.fd(), answer, sizeof answer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        // Only a name server on one of the networks asked answers; from its own port.
        if (got <= 0 || ntohs(from.sin_port) != kPort ||
            std::none_of(links.begin(), links.end(), [&](const Ipv4Link& link) {
                return platform::posix::OnLink(link, from.sin_addr);
            })) {
            continue;
        }
        for (const std::uint8_t suffix : {kServer, kWorkstation}) {
            auto address = DecodeAnswer(answer, static_cast<std::size_t>(got),
                                        static_cast<std::uint16_t>(id + suffix), name, suffix);
            if (address) {
                return address;
            }
        }
    }
    return std::nullopt;
}

} // namespace neighbourhood::netbios
