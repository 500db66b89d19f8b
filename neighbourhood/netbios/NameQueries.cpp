#include "neighbourhood/netbios/NameQueries.h"

#include "base/concurrency/Background.h"
#include "neighbourhood/net/Udp.h"
#include "neighbourhood/netbios/QueryBatch.h"

#include <algorithm>
#include <future>
#include <map>
#include <mutex>
#include <random>

namespace neighbourhood::netbios {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::uint16_t kPort = 137;
constexpr std::size_t kMaxInterfaces = 32;
// How long the reader waits before it looks at names that joined since.
constexpr milliseconds kJoinCheck{20};
// Datagrams read before the batch's times are looked at again.
constexpr int kReadBurst = 64;

} // namespace

struct NameQueries::Shared {
    explicit Shared(milliseconds wait) : batch(wait) {}

    std::mutex mutex;
    const Clock::time_point start = Clock::now();
    QueryBatch batch;
    std::map<std::size_t, std::promise<std::optional<std::vector<std::uint8_t>>>> asked;
    std::size_t nextKey = 0;
    // Seeded at the first question, not when the neighbourhood is made.
    std::optional<std::mt19937> random;
    // While a name waits: the networks it is asked on, and the socket.
    std::vector<net::Link> links;
    std::optional<net::UdpSocket> socket;
    bool reading = false;

    milliseconds now() const {
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }
    // Holds mutex.
    void Send(const std::vector<QueryBatch::Packet>& packets) {
        for (const net::Link& link : links) {
            for (const QueryBatch::Packet& packet : packets) {
                socket->SendTo(link.broadcast, kPort, packet.data(), packet.size());
            }
        }
    }
    // Holds mutex.
    void Tell(std::size_t key, std::optional<std::vector<std::uint8_t>> address) {
        const auto it = asked.find(key);
        if (it != asked.end()) {
            it->second.set_value(std::move(address));
            asked.erase(it);
        }
    }

    // Resends, reads and ends waits until no name waits; then the socket is closed.
    static void Read(const std::shared_ptr<Shared>& shared);
};

void NameQueries::Shared::Read(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    for (;;) {
        milliseconds wait{};
        {
            const std::lock_guard lock(s.mutex);
            const milliseconds now = s.now();
            s.Send(s.batch.Resend(now));
            for (const std::size_t key : s.batch.Expired(now)) {
                s.Tell(key, std::nullopt);
            }
            if (s.batch.empty()) {
                s.reading = false;
                s.socket.reset();
                s.links.clear();
                return;
            }
            wait = std::clamp(s.batch.Next() - now, milliseconds{0}, kJoinCheck);
        }
        // Only this reader closes the socket, so it stays while the reader waits.
        if (!net::WaitReadable({&*s.socket}, wait + milliseconds{1}).front()) {
            continue;
        }
        const std::lock_guard lock(s.mutex);
        for (int i = 0; i < kReadBurst; ++i) {
            std::uint8_t answer[1500];
            const auto got = s.socket->Receive(answer, sizeof answer);
            if (!got) {
                break;
            }
            // Only a name server on one of the networks asked answers; from its own port.
            if (got->size == 0 || got->port != kPort ||
                std::none_of(s.links.begin(), s.links.end(),
                             [&](const net::Link& link) { return net::OnLink(link, got->from); })) {
                continue;
            }
            if (auto found = s.batch.Answer(answer, got->size)) {
                s.Tell(found->first, std::move(found->second));
            }
        }
    }
}

NameQueries::NameQueries(milliseconds wait) : shared_(std::make_shared<Shared>(wait)) {}

std::optional<std::vector<std::uint8_t>> NameQueries::Ask(const std::string& name) {
    std::future<std::optional<std::vector<std::uint8_t>>> answer;
    bool readHere = false;
    {
        Shared& s = *shared_;
        const std::lock_guard lock(s.mutex);
        if (!s.random) {
            s.random.emplace(std::random_device{}());
        }
        if (!s.socket) {
            s.links = net::Links(net::LinkKind::Broadcast, kMaxInterfaces);
            if (auto made = s.links.empty() ? std::nullopt : net::UdpSocket::Broadcaster()) {
                s.socket.emplace(std::move(*made));
            }
            if (!s.socket) {
                s.links.clear();
                return std::nullopt;
            }
        }
        const std::size_t key = s.nextKey++;
        const auto id = static_cast<std::uint16_t>((*s.random)());
        const std::vector<QueryBatch::Packet> queries = s.batch.Add(key, name, id, s.now());
        if (queries.empty()) {
            if (s.batch.empty() && !s.reading) {
                s.socket.reset();
                s.links.clear();
            }
            return std::nullopt;
        }
        answer = s.asked[key].get_future();
        s.Send(queries);
        if (!s.reading) {
            s.reading = true;
            try {
                Background::Run([shared = shared_] { Shared::Read(shared); });
            } catch (const std::exception&) {
                // No thread to read on: this caller reads for every name until none waits.
                readHere = true;
            }
        }
    }
    if (readHere) {
        Shared::Read(shared_);
    }
    return answer.get();
}

} // namespace neighbourhood::netbios
