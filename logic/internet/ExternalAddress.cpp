#include "logic/internet/ExternalAddress.h"

#include "base/concurrency/Pending.h"
#include "base/text/Text.h"
#include "logic/internet/Stun.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <random>

namespace ExternalAddress {

namespace {

using Clock = std::chrono::steady_clock;

// While a server's name is being resolved, the answers of the others are looked at this often.
constexpr std::chrono::milliseconds kResolvePoll{20};

struct Exchange {
    Exchange(const StunServer& server, platform::Datagrams& resolver)
        : port(server.port), resolving([resolver = &resolver, host = server.host] {
              return resolver->resolve(host);
          }) {}

    std::uint16_t port;
    threads::Pending<std::vector<platform::Ipv4Address>> resolving;
    bool resolved = false;
    std::optional<platform::UdpEndpoint> to;
    Stun::TransactionId id{};
    std::string request;
    Clock::time_point nextSend;
    std::chrono::milliseconds timeout{};
};

Stun::TransactionId NewTransactionId(std::random_device& random) {
    Stun::TransactionId id{};
    for (auto& byte : id) {
        byte = static_cast<std::uint8_t>(random());
    }
    return id;
}

} // namespace

std::vector<StunServer> ParseServers(std::string_view list) {
    std::vector<StunServer> servers;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find(';'), list.size());
        const std::string_view entry = list.substr(0, end);
        list.remove_prefix(std::min(end + 1, list.size()));
        const std::size_t colon = entry.rfind(':');
        if (colon == std::string_view::npos || colon == 0) {
            continue;
        }
        const std::string_view digits = entry.substr(colon + 1);
        unsigned port = 0;
        const auto [rest, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (error != std::errc() || rest != digits.data() + digits.size() || port == 0 ||
            port > 65535) {
            continue;
        }
        servers.push_back({std::string(entry.substr(0, colon)), static_cast<std::uint16_t>(port)});
    }
    return servers;
}

std::optional<platform::Ipv4Address>
AskStun(platform::Datagrams& datagrams, const std::vector<StunServer>& servers, Bounds bounds) {
    const Clock::time_point deadline = Clock::now() + bounds.total;
    const std::unique_ptr<platform::UdpSocket> socket = datagrams.open();
    if (!socket || servers.empty()) {
        return std::nullopt;
    }
    std::random_device random;
    std::vector<Exchange> exchanges;
    exchanges.reserve(servers.size());
    for (const StunServer& server : servers) {
        exchanges.emplace_back(server, datagrams);
    }
    for (Clock::time_point now = Clock::now(); now < deadline; now = Clock::now()) {
        // Each server is asked as soon as its address is known, then again after each
        // time-out, the time-out doubling each time.
        bool resolving = false;
        Clock::time_point wake = deadline;
        for (Exchange& exchange : exchanges) {
            if (!exchange.resolved) {
                const auto addresses = exchange.resolving.waitUntil(now);
                if (!addresses) {
                    resolving = true;
                    continue;
                }
                exchange.resolved = true;
                if (addresses->empty()) {
                    continue;
                }
                exchange.to = platform::UdpEndpoint{addresses->front(), exchange.port};
                exchange.id = NewTransactionId(random);
                exchange.request = Stun::BindingRequest(exchange.id);
                exchange.nextSend = now;
                exchange.timeout = bounds.firstTimeout;
            }
            if (!exchange.to) {
                continue;
            }
            if (exchange.nextSend <= now) {
                socket->sendTo(*exchange.to, exchange.request);
                exchange.nextSend = now + exchange.timeout;
                exchange.timeout *= 2;
            }
            wake = std::min(wake, exchange.nextSend);
        }
        if (resolving) {
            wake = std::min(wake, now + kResolvePoll);
        } else if (std::none_of(exchanges.begin(), exchanges.end(),
                                [](const Exchange& exchange) { return exchange.to.has_value(); })) {
            break; // no server's name resolves: nobody to wait for
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
        const std::optional<platform::Datagram> answer = socket->receive(wait);
        if (!answer) {
            continue;
        }
        for (const Exchange& exchange : exchanges) {
            if (exchange.to && *exchange.to == answer->from) {
                if (const auto address = Stun::MappedAddress(answer->bytes, exchange.id)) {
                    return address;
                }
            }
        }
    }
    return std::nullopt;
}

std::string NameOf(platform::Datagrams& datagrams, const platform::Ipv4Address& address,
                   std::chrono::milliseconds bound) {
    const Clock::time_point deadline = Clock::now() + bound;
    platform::Datagrams* resolver = &datagrams;
    const threads::Pending<std::string> naming(
        [resolver, address] { return resolver->nameOf(address); });
    std::string name = naming.waitUntil(deadline).value_or("");
    // The name comes from whoever serves the reverse zone, through whatever name service the
    // system asks: only a plain host name is shown (no control or invisible characters, no
    // markup, no empty label, no address posing as a name).
    return text::IsPlainHostName(name) ? name : "";
}

} // namespace ExternalAddress
