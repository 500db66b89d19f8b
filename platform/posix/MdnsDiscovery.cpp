#include "platform/posix/MdnsDiscovery.h"

#include "platform/posix/Interfaces.h"
#include "platform/posix/Socket.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>

namespace platform::posix::mdns {

namespace {

constexpr const char* kWorkstation = "_workstation._tcp.local";
constexpr const char* kSmb = "_smb._tcp.local";
constexpr const char* kDeviceInfo = "_device-info._tcp.local";

// Service types whose instances have an SRV record naming the host.
bool IsHostService(const std::string& lowerName) {
    return lowerName == kWorkstation || lowerName == kSmb;
}

// The service type of an instance name ("<instance>.<service>.<proto>.local"), lower case;
// empty when the name is not an instance of one of ours.
std::string ServiceOf(const std::string& instance) {
    std::vector<std::string> labels = SplitName(instance);
    if (labels.size() != 4) {
        return {};
    }
    labels.erase(labels.begin());
    std::string service = LowerName(JoinName(labels));
    return IsHostService(service) || service == kDeviceInfo ? service : std::string();
}

// "host.local" → "host", fit to show; empty when nothing is left.
std::string HostName(const std::string& target) {
    std::vector<std::string> labels = SplitName(target);
    if (!labels.empty() && LowerName(labels.back()) == "local") {
        labels.pop_back();
    }
    return CleanName(JoinName(labels));
}

std::string Key(const std::string& name) {
    return LowerName(JoinName(SplitName(name)));
}

constexpr std::uint16_t kPort = 5353;
constexpr const char* kGroup = "224.0.0.251";
constexpr std::size_t kMaxInterfaces = 32;
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

std::vector<in_addr> MulticastAddresses() {
    std::vector<in_addr> addresses;
    for (const Ipv4Link& link : LocalLinks(IFF_MULTICAST)) {
        if (addresses.size() < kMaxInterfaces) {
            addresses.push_back(link.address);
        }
    }
    return addresses;
}

// A socket on an ephemeral port of the address that sends its multicast out of that interface.
std::optional<Socket> OpenSocket(in_addr address) {
    Socket sock(socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = address;
    const unsigned char ttl = 255; // what multicast DNS peers expect
    const unsigned char loop = 0;
    if (sock.fd() < 0 || bind(sock.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        setsockopt(sock.fd(), IPPROTO_IP, IP_MULTICAST_IF, &address, sizeof address) != 0 ||
        setsockopt(sock.fd(), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
        setsockopt(sock.fd(), IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0) {
        return std::nullopt;
    }
    return sock;
}

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
    return std::to_string(question.type) + " " + Key(question.name);
}

} // namespace

std::vector<Question> BrowseQuestions() {
    return {{kWorkstation, kTypePtr, kClassIn},
            {kSmb, kTypePtr, kClassIn},
            {kDeviceInfo, kTypePtr, kClassIn}};
}

Collector::Instance* Collector::FindOrAddInstance(const std::string& name) {
    const std::string key = Key(name);
    const auto it = instances_.find(key);
    if (it != instances_.end()) {
        return &it->second;
    }
    // With the host list full a new instance could only add questions, never a computer.
    if (instances_.size() >= kMaxInstances || hosts_.size() >= kMaxComputers) {
        return nullptr;
    }
    instanceOrder_.push_back(key);
    return &instances_.emplace(key, Instance{name, std::nullopt}).first->second;
}

void Collector::AddSrv(const Record& record, const Srv& srv) {
    if (!IsHostService(ServiceOf(record.name)) || HostName(srv.target).empty()) {
        return;
    }
    Instance* instance = FindOrAddInstance(record.name);
    if (instance == nullptr || instance->host) {
        return;
    }
    const std::string key = Key(srv.target);
    if (hosts_.count(key) == 0) {
        if (hosts_.size() >= kMaxComputers) {
            instance->host = std::string(); // known, but no room: not asked about again
            return;
        }
        hostOrder_.push_back(key);
        hosts_.emplace(key, Host{srv.target, std::nullopt});
    }
    instance->host = key;
}

void Collector::Add(const Message& message) {
    if (!message.IsResponse() || (message.flags & 0x000F) != 0) {
        return;
    }
    // Records may come in any order: instances first, then their hosts, then addresses.
    for (const Record& record : message.records) {
        const auto* ptr = std::get_if<Ptr>(&record.data);
        if (ptr != nullptr && record.klass == kClassIn && IsHostService(Key(record.name)) &&
            ServiceOf(ptr->target) == Key(record.name)) {
            FindOrAddInstance(ptr->target);
        }
    }
    for (const Record& record : message.records) {
        const auto* srv = std::get_if<Srv>(&record.data);
        if (srv != nullptr && record.klass == kClassIn) {
            AddSrv(record, *srv);
        }
    }
    for (const Record& record : message.records) {
        const auto* a = std::get_if<A>(&record.data);
        if (a == nullptr || record.klass != kClassIn) {
            continue;
        }
        const auto it = hosts_.find(Key(record.name));
        if (it != hosts_.end() && !it->second.address) {
            it->second.address = a->address;
        }
    }
}

std::vector<Question> Collector::Missing() const {
    std::vector<Question> questions;
    for (const std::string& key : instanceOrder_) {
        const Instance& instance = instances_.at(key);
        if (!instance.host && questions.size() + 2 <= kMaxFollowUps) {
            questions.push_back({instance.name, kTypeSrv, kClassIn});
            questions.push_back({instance.name, kTypeTxt, kClassIn});
        }
    }
    for (const std::string& key : hostOrder_) {
        const Host& host = hosts_.at(key);
        if (!host.address && questions.size() < kMaxFollowUps) {
            questions.push_back({host.target, kTypeA, kClassIn});
        }
    }
    return questions;
}

std::vector<Computer> Collector::Computers() const {
    std::vector<Computer> computers;
    std::set<std::string> names;
    for (const std::string& key : hostOrder_) {
        const Host& host = hosts_.at(key);
        std::string name = HostName(host.target);
        if (host.address && names.insert(LowerName(name)).second) {
            computers.push_back({std::move(name), *host.address});
        }
    }
    return computers;
}

std::vector<Computer> Discover(std::chrono::milliseconds window) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + window;
    std::vector<Socket> sockets;
    for (const in_addr& address : MulticastAddresses()) {
        if (auto sock = OpenSocket(address)) {
            sockets.push_back(std::move(*sock));
        }
    }
    Collector collector;
    if (sockets.empty()) {
        return collector.Computers();
    }
    std::random_device random;
    const auto id = static_cast<std::uint16_t>(random());
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(kPort);
    inet_pton(AF_INET, kGroup, &group.sin_addr);
    std::set<std::string> asked;
    auto send = [&](const std::vector<Question>& questions) {
        for (const Question& question : questions) {
            asked.insert(QuestionKey(question));
        }
        for (const auto& packet : Packets(id, questions)) {
            for (const Socket& sock : sockets) {
                sendto(sock.fd(), packet.data(), packet.size(), 0,
                       reinterpret_cast<const sockaddr*>(&group), sizeof group);
            }
        }
    };
    std::vector<pollfd> pollers;
    for (const Socket& sock : sockets) {
        pollers.push_back({sock.fd(), POLLIN, 0});
    }
    std::size_t round = 0;
    for (auto now = start; now < deadline; now = Clock::now()) {
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
        // capped, so that a long window cannot overflow poll's int.
        const auto wait =
            std::clamp(std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()),
                       std::chrono::milliseconds(0), std::chrono::milliseconds(1000));
        if (poll(pollers.data(), pollers.size(), static_cast<int>(wait.count())) <= 0) {
            continue;
        }
        for (const pollfd& poller : pollers) {
            if (poller.revents == 0) {
                continue;
            }
            std::uint8_t buffer[9000]; // the largest message peers send
            // Bounded: a socket that keeps receiving is read again after the next poll. An error
            // (POLLERR) is taken off the socket by the first read.
            for (int packets = 0; packets < 64; ++packets) {
                sockaddr_in from{};
                socklen_t fromLength = sizeof from;
                const ssize_t got = recvfrom(poller.fd, buffer, sizeof buffer, 0,
                                             reinterpret_cast<sockaddr*>(&from), &fromLength);
                if (got <= 0) {
                    break;
                }
                if (ntohs(from.sin_port) != kPort) {
                    continue;
                }
                const auto message = Decode(buffer, static_cast<std::size_t>(got));
                if (message && message->id == id) {
                    collector.Add(*message);
                }
            }
        }
    }
    return collector.Computers();
}

} // namespace platform::posix::mdns
