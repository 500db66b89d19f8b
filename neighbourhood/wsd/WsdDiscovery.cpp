#include "neighbourhood/wsd/WsdDiscovery.h"

#include "neighbourhood/DiscoveryWindow.h"
#include "neighbourhood/net/Udp.h"
#include "neighbourhood/wsd/MetadataRequests.h"
#include "neighbourhood/wsd/WsdSchedule.h"

#include <algorithm>
#include <random>
#include <utility>

namespace neighbourhood::wsd {

namespace {

using net::LinkSocket;

constexpr std::uint16_t kPort = 3702;
constexpr platform::Ipv4Address kGroup{239, 255, 255, 250};
// A peer answers a Probe within 500 ms (APP_MAX_DELAY), and the answer has its trip. Rounds go
// out close together: a lost Probe costs a round, not a wait; with half of the multicast lost,
// nine rounds miss a peer once in 512 (and the copies of the last lower that further).
constexpr Milliseconds kAnswer{550};
constexpr Milliseconds kRoundGap{30};
constexpr int kQuietRounds = 9;
// How often a wait looks whether the discovery is to stop.
constexpr Milliseconds kStopCheck{50};
// Datagrams read from one socket before the schedule gets its turn again.
constexpr int kReadBurst = 256;
constexpr std::size_t kMaxInterfaces = 32;

void Multicast(LinkSocket& link, const std::string& message) {
    // A lost datagram is what the schedule's copies are for.
    link.socket.SendTo(kGroup, kPort, message.data(), message.size());
}

// Reads what has come in on one link and tells the endpoints, until `deadline`: a crafted
// message costs its parse, so the reading stops in time whatever arrives.
void Receive(LinkSocket& link, int index, std::vector<char>& buffer, Endpoints& endpoints,
             std::chrono::steady_clock::time_point deadline) {
    for (int i = 0; i < kReadBurst && std::chrono::steady_clock::now() < deadline; ++i) {
        const auto got = link.socket.Receive(buffer.data(), buffer.size());
        if (!got) {
            return;
        }
        // Only a peer on the network the answer came in from.
        if (!net::OnLink(link.link, got->from)) {
            continue;
        }
        const auto matches = ParseMatches(std::string_view(buffer.data(), got->size));
        if (!matches) {
            continue;
        }
        if (matches->resolve) {
            endpoints.OnResolveMatches(*matches);
        } else {
            endpoints.OnProbeMatches(*matches, got->from, index);
        }
    }
}

} // namespace

std::vector<Computer> Discover(Milliseconds ceiling, std::stop_token stop, const Found& found) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto elapsed = [start] {
        return std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
    };
    // A socket per interface address: the answers come back to it by unicast.
    std::vector<LinkSocket> links = net::MulticastLinks(1, kMaxInterfaces);
    if (ceiling <= Milliseconds{0} || links.empty()) {
        return {};
    }
    MetadataRequests requests;
    std::mt19937 generator{std::random_device{}()};
    Schedule schedule(ceiling, [&generator](Milliseconds low, Milliseconds high) {
        return Milliseconds{
            std::uniform_int_distribution<Milliseconds::rep>(low.count(), high.count())(generator)};
    });
    DiscoveryWindow window({kAnswer, kRoundGap, kQuietRounds, ceiling});
    Endpoints endpoints;
    FoundOnce told(found);
    std::size_t learnt = 0;
    std::vector<const net::UdpSocket*> waits;
    for (const LinkSocket& link : links) {
        waits.push_back(&link.socket);
    }
    if (requests.wake() != nullptr) {
        waits.push_back(requests.wake());
    }
    std::vector<char> buffer(64 * 1024);
    std::string probe;
    for (Milliseconds now = elapsed(); !stop.stop_requested(); now = elapsed()) {
        // Open while a computer waits for its Resolve or its name.
        const std::vector<std::string> pending = endpoints.NeedingResolve();
        if (window.Closed(now, !pending.empty() || requests.Busy())) {
            break;
        }
        const bool fresh = window.RoundDue(now);
        if (fresh) {
            const std::string id = NewMessageId();
            endpoints.ProbeSent(id);
            probe = BuildProbe(id);
            schedule.Probed(now);
            window.RoundSent(now);
        }
        const Schedule::Due due = schedule.Take(now);
        if (fresh || due.probe) {
            for (LinkSocket& link : links) {
                Multicast(link, probe);
            }
        }
        for (const std::string& endpoint : due.resolves) {
            if (!std::binary_search(pending.begin(), pending.end(), endpoint)) {
                schedule.Resolved(endpoint);
                continue;
            }
            const int link = endpoints.LinkOf(endpoint);
            if (link >= 0 && link < static_cast<int>(links.size())) {
                const std::string id = NewMessageId();
                endpoints.ResolveSent(id, endpoint);
                Multicast(links[static_cast<std::size_t>(link)], BuildResolve(id, endpoint));
            }
        }

        // Past End() the schedule sends nothing more, whatever it had left.
        const Milliseconds at = elapsed();
        Milliseconds until = window.Next(at);
        if (at < schedule.End()) {
            until = std::min(until, schedule.Next());
        }
        const std::vector<bool> ready =
            net::WaitReadable(waits, std::clamp(until - at, Milliseconds{0}, kStopCheck));
        for (std::size_t i = 0; i < links.size(); ++i) {
            if (ready[i]) {
                Receive(links[i], static_cast<int>(i), buffer, endpoints, start + ceiling);
            }
        }

        const Milliseconds after = elapsed();
        for (const std::string& endpoint : endpoints.NeedingResolve()) {
            schedule.NeedResolve(endpoint, after);
        }
        for (const Fetch& fetch : endpoints.TakeFetches()) {
            requests.Add(fetch, start + ceiling);
        }
        for (const auto& [endpoint, body] : requests.Finished()) {
            if (auto name = ParseGetResponse(body)) {
                endpoints.OnComputer(endpoint, *name);
            }
        }
        if (endpoints.Learnt() != learnt) {
            learnt = endpoints.Learnt();
            window.News();
            told.Tell(endpoints.Computers());
        }
    }
    return endpoints.Computers();
}

} // namespace neighbourhood::wsd
