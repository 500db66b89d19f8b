#include "neighbourhood/wsd/WsdDiscovery.h"

#include "neighbourhood/wsd/WsdSchedule.h"
#include "platform/posix/Curl.h"
#include "platform/posix/Interfaces.h"
#include "platform/posix/Socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <utility>

namespace neighbourhood::wsd {

namespace {

using platform::posix::LinkSocket;
using platform::posix::Socket;

constexpr std::uint16_t kPort = 3702;
constexpr char kGroup[] = "239.255.255.250";
constexpr long kMaxTransfers = 16;
constexpr Milliseconds kConnectTimeout{1000};
// How often a wait looks whether the discovery is to stop.
constexpr Milliseconds kStopCheck{50};
// Datagrams read from one socket before the schedule gets its turn again.
constexpr int kReadBurst = 256;
constexpr std::size_t kMaxInterfaces = 32;

void Multicast(const Socket& link, const std::string& message) {
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(kPort);
    inet_pton(AF_INET, kGroup, &group.sin_addr);
    // A lost datagram is what the schedule's copies are for.
    sendto(link.fd(), message.data(), message.size(), MSG_DONTWAIT,
           reinterpret_cast<const sockaddr*>(&group), sizeof group);
}

// The name requests, run by curl's multi interface in the discovery's own thread.
class Requests {
public:
    Requests() : multi_(platform::posix::CurlReady() ? curl_multi_init() : nullptr) {
        if (multi_ != nullptr) {
            curl_multi_setopt(multi_, CURLMOPT_MAX_TOTAL_CONNECTIONS, kMaxTransfers);
        }
    }
    ~Requests() {
        for (auto& [easy, transfer] : transfers_) {
            curl_multi_remove_handle(multi_, easy);
            curl_easy_cleanup(easy);
            curl_slist_free_all(transfer->headers);
        }
        if (multi_ != nullptr) {
            curl_multi_cleanup(multi_);
        }
    }
    Requests(const Requests&) = delete;
    Requests& operator=(const Requests&) = delete;

    bool ok() const { return multi_ != nullptr; }

    // Ends by itself after `left`, so nothing outlives the window.
    void Add(const Fetch& fetch, Milliseconds left);
    // Waits at most `wait` for the sockets or the transfers, and moves the transfers on.
    void Wait(std::vector<curl_waitfd>& sockets, Milliseconds wait);
    // The endpoint and body of each request answered with success since the last call.
    std::vector<std::pair<std::string, std::string>> Finished();

private:
    struct Transfer {
        std::string endpoint;
        std::string request;
        std::string body;
        curl_slist* headers = nullptr;
    };

    static std::size_t Write(char* data, std::size_t size, std::size_t count, void* user) {
        auto* transfer = static_cast<Transfer*>(user);
        const std::size_t bytes = size * count;
        if (transfer->body.size() + bytes > kMaxMessageSize) {
            return 0; // larger than any answer that would be read; libcurl ends the transfer
        }
        transfer->body.append(data, bytes);
        return bytes;
    }

    CURLM* multi_;
    std::map<CURL*, std::unique_ptr<Transfer>> transfers_;
};

void Requests::Add(const Fetch& fetch, Milliseconds left) {
    platform::posix::Easy owned =
        platform::posix::NewEasy(fetch.url, "http", std::min(left, kConnectTimeout));
    if (!owned) {
        return;
    }
    CURL* easy = owned.get();
    auto transfer = std::make_unique<Transfer>();
    transfer->endpoint = fetch.endpoint;
    transfer->request = BuildGet(NewMessageId(), fetch.endpoint);
    transfer->headers = curl_slist_append(nullptr, "Content-Type: application/soap+xml");
    // No "Expect: 100-continue" round trip.
    transfer->headers = curl_slist_append(transfer->headers, "Expect:");
    const bool bounded =
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer->headers) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, transfer->request.c_str()) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE,
                         static_cast<long>(transfer->request.size())) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count())) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Write) == CURLE_OK &&
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, transfer.get()) == CURLE_OK;
    if (!bounded || curl_multi_add_handle(multi_, easy) != CURLM_OK) {
        curl_slist_free_all(transfer->headers);
        return;
    }
    transfers_.emplace(owned.release(), std::move(transfer));
}

void Requests::Wait(std::vector<curl_waitfd>& sockets, Milliseconds wait) {
    for (curl_waitfd& socket : sockets) {
        socket.revents = 0;
    }
    curl_multi_poll(multi_, sockets.data(), static_cast<unsigned>(sockets.size()),
                    static_cast<int>(wait.count()), nullptr);
    int running = 0;
    curl_multi_perform(multi_, &running);
}

std::vector<std::pair<std::string, std::string>> Requests::Finished() {
    std::vector<std::pair<std::string, std::string>> finished;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        const auto it = transfers_.find(easy);
        if (it != transfers_.end()) {
            if (result == CURLE_OK && status == 200) {
                finished.emplace_back(it->second->endpoint, std::move(it->second->body));
            }
            curl_slist_free_all(it->second->headers);
            transfers_.erase(it);
        }
        curl_multi_remove_handle(multi_, easy);
        curl_easy_cleanup(easy);
    }
    return finished;
}

// Reads what has come in on one link and tells the endpoints, until `deadline`: a crafted
// message costs its parse, so the reading stops in time whatever arrives.
void Receive(const LinkSocket& link, int index, std::vector<char>& buffer, Endpoints& endpoints,
             std::chrono::steady_clock::time_point deadline) {
    for (int i = 0; i < kReadBurst && std::chrono::steady_clock::now() < deadline; ++i) {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = recvfrom(link.socket.fd(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0) {
            return;
        }
        // Only a peer on the network the answer came in from.
        if (!platform::posix::OnLink(link.link, from.sin_addr)) {
            continue;
        }
        const auto matches =
            ParseMatches(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        if (!matches) {
            continue;
        }
        if (matches->resolve) {
            endpoints.OnResolveMatches(*matches);
        } else {
            platform::Ipv4Address source{};
            std::memcpy(source.data(), &from.sin_addr, source.size());
            endpoints.OnProbeMatches(*matches, source, index);
        }
    }
}

} // namespace

std::vector<Computer> Discover(Milliseconds window, std::stop_token stop) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto elapsed = [start] {
        return std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
    };
    // A socket per interface address: the answers come back to it by unicast.
    const std::vector<LinkSocket> links = platform::posix::OpenMulticastLinks(1, kMaxInterfaces);
    Requests requests;
    if (window <= Milliseconds{0} || links.empty() || !requests.ok()) {
        return {};
    }
    std::mt19937 generator{std::random_device{}()};
    Schedule schedule(window, [&generator](Milliseconds low, Milliseconds high) {
        return Milliseconds{
            std::uniform_int_distribution<Milliseconds::rep>(low.count(), high.count())(generator)};
    });
    Endpoints endpoints;
    std::vector<curl_waitfd> waits;
    for (const LinkSocket& link : links) {
        waits.push_back({link.socket.fd(), CURL_WAIT_POLLIN, 0});
    }
    std::vector<char> buffer(64 * 1024);
    std::string probe;
    for (Milliseconds now = elapsed(); now < window && !stop.stop_requested(); now = elapsed()) {
        const Schedule::Due due = schedule.Take(now);
        if (due.freshProbe) {
            const std::string id = NewMessageId();
            endpoints.ProbeSent(id);
            probe = BuildProbe(id);
        }
        if (due.probe) {
            for (const LinkSocket& link : links) {
                Multicast(link.socket, probe);
            }
        }
        const std::vector<std::string> pending = endpoints.NeedingResolve();
        for (const std::string& endpoint : due.resolves) {
            if (!std::binary_search(pending.begin(), pending.end(), endpoint)) {
                schedule.Resolved(endpoint);
                continue;
            }
            const int link = endpoints.LinkOf(endpoint);
            if (link >= 0 && link < static_cast<int>(links.size())) {
                const std::string id = NewMessageId();
                endpoints.ResolveSent(id, endpoint);
                Multicast(links[static_cast<std::size_t>(link)].socket, BuildResolve(id, endpoint));
            }
        }

        // Past End() the schedule sends nothing more, whatever it had left.
        const Milliseconds at = elapsed();
        const Milliseconds until = at < schedule.End() ? schedule.Next() : window;
        requests.Wait(waits,
                      std::min(kStopCheck, std::clamp(until - at, Milliseconds{0},
                                                      std::max(Milliseconds{0}, window - at))));
        for (std::size_t i = 0; i < links.size(); ++i) {
            if ((waits[i].revents & CURL_WAIT_POLLIN) != 0) {
                Receive(links[i], static_cast<int>(i), buffer, endpoints, start + window);
            }
        }

        const Milliseconds after = elapsed();
        for (const std::string& endpoint : endpoints.NeedingResolve()) {
            schedule.NeedResolve(endpoint, after);
        }
        for (const Fetch& fetch : endpoints.TakeFetches()) {
            // libcurl reads a time limit of 0 as none at all.
            if (window - after > Milliseconds{0}) {
                requests.Add(fetch, window - after);
            }
        }
        for (const auto& [endpoint, body] : requests.Finished()) {
            if (auto name = ParseGetResponse(body)) {
                endpoints.OnComputer(endpoint, *name);
            }
        }
    }
    return endpoints.Computers();
}

} // namespace neighbourhood::wsd
