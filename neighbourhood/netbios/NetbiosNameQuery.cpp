#include "neighbourhood/netbios/NetbiosNameQuery.h"

#include "neighbourhood/net/Udp.h"
#include "neighbourhood/netbios/NetbiosMessage.h"

#include <algorithm>
#include <random>

namespace neighbourhood::netbios {

namespace {

constexpr std::uint16_t kPort = 137;
constexpr std::size_t kMaxInterfaces = 32;

} // namespace

std::optional<std::vector<std::uint8_t>> Query(const std::string& name,
                                               std::chrono::milliseconds wait) {
    const std::vector<net::Link> links = net::Links(net::LinkKind::Broadcast, kMaxInterfaces);
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
    auto sock = net::UdpSocket::Broadcaster();
    if (!sock) {
        return std::nullopt;
    }
    auto send = [&] {
        for (const net::Link& link : links) {
            for (const auto& query : queries) {
                sock->SendTo(link.broadcast, kPort, query.data(), query.size());
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
        if (!net::WaitReadable({&*sock}, left + std::chrono::milliseconds(1)).front()) {
            continue;
        }
        std::uint8_t answer[1500];
        const auto got = sock->Receive(answer, sizeof answer);
        // Only a name server on one of the networks asked answers; from its own port.
        if (!got || got->size == 0 || got->port != kPort ||
            std::none_of(links.begin(), links.end(),
                         [&](const net::Link& link) { return net::OnLink(link, got->from); })) {
            continue;
        }
        for (const std::uint8_t suffix : {kServer, kWorkstation}) {
            auto address = DecodeAnswer(answer, got->size, static_cast<std::uint16_t>(id + suffix),
                                        name, suffix);
            if (address) {
                return address;
            }
        }
    }
    return std::nullopt;
}

} // namespace neighbourhood::netbios
