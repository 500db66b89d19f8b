#include "neighbourhood/mdns/MdnsDiscovery.h"

#include "neighbourhood/DiscoveryWindow.h"
#include "neighbourhood/mdns/MdnsCollector.h"
#include "neighbourhood/net/Udp.h"

#include <algorithm>
#include <random>
#include <set>

namespace neighbourhood::mdns {

namespace {

using net::LinkSocket;

constexpr std::uint16_t kPort = 5353;
constexpr platform::Ipv4Address kGroup{224, 0, 0, 251};
constexpr std::size_t kMaxInterfaces = 32;
constexpr unsigned char kTtl = 255; // what multicast DNS peers expect
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kMaxPacket = 1400; // stays below the usual MTU: no fragments
// Follow-ups are sent at once when new; this bounds how many ever are.
constexpr std::size_t kMaxFollowUpsSent = 4 * kMaxFollowUps;
// A responder answers a legacy unicast query at once, at most 120 ms later when it delays, as
// for multicast. A peer answers each query (by unicast), so only the queries can be lost: with
// half of the multicast lost, ten rounds miss a peer once in 1024.
constexpr std::chrono::milliseconds kAnswer{150};
constexpr std::chrono::milliseconds kRoundGap{50};
constexpr int kQuietRounds = 10;

// The questions in as few packets as fit below kMaxPacket; names that cannot be sent are left out.
std::vector<std::vector<std::uint8_t>> Packets(std::uint16_t id,
                                               const std::vector<Question>& questions) {
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<Question> batch;
    std::size_t size = 0;
    for (const Question& question : questions) {
        const std::size_t alone = EncodeQuery(id, {question}).size();
        if (alone == 0) {
            continue;
        }
        if (!batch.empty() && size + alone - kHeaderSize > kMaxPacket) {
            packets.push_back(EncodeQuery(id, batch));
            batch.clear();
        }
        size = batch.empty() ? alone : size + alone - kHeaderSize;
        batch.push_back(question);
    }
    if (!batch.empty()) {
        packets.push_back(EncodeQuery(id, batch));
    }
    return packets;
}

std::string QuestionKey(const Question& question) {
    return std::to_string(question.type) + " " + NameKey(question.name);
}

} // namespace

std::vector<Computer> Discover(std::chrono::milliseconds ceiling, std::stop_token stop,
                               const Found& found) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    const auto start = Clock::now();
    const auto elapsed = [start] {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    };
    const auto deadline = start + ceiling;
    // A socket per interface address: the answers come back to it by unicast.
    std::vector<LinkSocket> sockets = net::MulticastLinks(kTtl, kMaxInterfaces);
    Collector collector;
    if (sockets.empty()) {
        return collector.Computers();
    }
    std::random_device random;
    const auto id = static_cast<std::uint16_t>(random());
    std::set<std::string> asked;
    auto send = [&](const std::vector<Question>& questions) {
        for (const Question& question : questions) {
            asked.insert(QuestionKey(question));
        }
        for (const auto& packet : Packets(id, questions)) {
            for (LinkSocket& linked : sockets) {
                linked.socket.SendTo(kGroup, kPort, packet.data(), packet.size());
            }
        }
    };
    std::vector<const net::UdpSocket*> pollers;
    for (const LinkSocket& linked : sockets) {
        pollers.push_back(&linked.socket);
    }
    DiscoveryWindow window({kAnswer, kRoundGap, kQuietRounds, ceiling});
    FoundOnce told(found);
    std::size_t learnt = 0;
    for (milliseconds now = elapsed(); !stop.stop_requested(); now = elapsed()) {
        // Open while a question about a known instance or host waits for its answer.
        const std::vector<Question> missing = collector.Missing();
        if (window.Closed(now, !missing.empty())) {
            break;
        }
        if (window.RoundDue(now)) {
            std::vector<Question> questions = BrowseQuestions();
            questions.insert(questions.end(), missing.begin(), missing.end());
            send(questions);
            window.RoundSent(now);
        } else if (asked.size() < kMaxFollowUpsSent) {
            // What the last answers left open is asked at once, not at the next round.
            std::vector<Question> fresh;
            for (const Question& question : missing) {
                if (asked.count(QuestionKey(question)) == 0) {
                    fresh.push_back(question);
                }
            }
            if (!fresh.empty()) {
                send(fresh);
            }
        }
        // Capped, so that a request to stop is seen soon.
        const milliseconds at = elapsed();
        const std::vector<bool> ready = net::WaitReadable(
            pollers, std::clamp(window.Next(at) - at, milliseconds(0), milliseconds(50)));
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (!ready[i]) {
                continue;
            }
            std::uint8_t buffer[9000]; // the largest message peers send
            // Bounded: a socket that keeps receiving is read again after the next wait.
            for (int packets = 0; packets < 64 && Clock::now() < deadline; ++packets) {
                const auto got = sockets[i].socket.Receive(buffer, sizeof buffer);
                if (!got) {
                    break;
                }
                // Only a peer on the network the answer came in from, from its port.
                if (got->size == 0 || got->port != kPort ||
                    !net::OnLink(sockets[i].link, got->from)) {
                    continue;
                }
                const auto message = Decode(buffer, got->size);
                if (message && message->id == id) {
                    collector.Add(*message, got->from);
                }
            }
        }
        if (collector.Learnt() != learnt) {
            learnt = collector.Learnt();
            window.News();
            told.Tell(collector.Computers());
        }
    }
    return collector.Computers();
}

} // namespace neighbourhood::mdns
