#include "neighbourhood/mdns/MdnsDiscovery.h"

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
// Re-queries catch lost packets. A peer answers each query (by unicast), so only the queries
// can be lost: with half of the multicast lost, four rounds miss one peer in sixteen, eight
// rounds one in 256.
constexpr std::chrono::milliseconds kRounds[] = {
    std::chrono::milliseconds(0),    std::chrono::milliseconds(250),
    std::chrono::milliseconds(500),  std::chrono::milliseconds(750),
    std::chrono::milliseconds(1000), std::chrono::milliseconds(1250),
    std::chrono::milliseconds(1500), std::chrono::milliseconds(1750)};

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

std::vector<Computer> Discover(std::chrono::milliseconds window, std::stop_token stop) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + window;
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
    std::size_t round = 0;
    for (auto now = start; now < deadline && !stop.stop_requested(); now = Clock::now()) {
        if (round < std::size(kRounds) && now >= start + kRounds[round]) {
            std::vector<Question> questions = BrowseQuestions();
            const std::vector<Question> missing = collector.Missing();
            questions.insert(questions.end(), missing.begin(), missing.end());
            send(questions);
            ++round;
        } else if (asked.size() < kMaxFollowUpsSent) {
            // What the last answers left open is asked at once, not at the next round.
            std::vector<Question> fresh;
            for (const Question& question : collector.Missing()) {
                if (asked.count(QuestionKey(question)) == 0) {
                    fresh.push_back(question);
                }
            }
            if (!fresh.empty()) {
                send(fresh);
            }
        }
        auto until = deadline;
        if (round < std::size(kRounds)) {
            until = std::min(until, start + kRounds[round]);
        }
        // Rounded up, so that the loop does not spin through the last part of a millisecond;
        // capped, so that a request to stop is seen soon.
        const auto wait =
            std::clamp(std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()),
                       std::chrono::milliseconds(0), std::chrono::milliseconds(50));
        const std::vector<bool> ready = net::WaitReadable(pollers, wait);
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
    }
    return collector.Computers();
}

} // namespace neighbourhood::mdns
