#pragma once

#include "neighbourhood/net/Udp.h"
#include "neighbourhood/wsd/SoapPost.h"
#include "neighbourhood/wsd/WsdEndpoints.h"

#include <chrono>
#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace neighbourhood::wsd {

// The name requests of one discovery, each a POST (PostSoap) on a thread of its own, a bounded
// number at a time. A request that ends wakes the discovery's wait: a datagram to a loopback
// socket that the wait watches beside the links. Nothing waits for a request still running when
// the discovery ends: it ends by itself at its deadline and its answer is dropped.
class MetadataRequests {
public:
    using Clock = std::chrono::steady_clock;
    using Post = std::optional<std::string> (*)(const std::string& url, const std::string& request,
                                                std::chrono::milliseconds limit,
                                                std::size_t maxBytes);
    static constexpr std::size_t kMaxRunning = 16;

    explicit MetadataRequests(Post post = PostSoap);
    ~MetadataRequests();
    MetadataRequests(const MetadataRequests&) = delete;
    MetadataRequests& operator=(const MetadataRequests&) = delete;

    // The socket to watch for ends; null when none could be made (the wait's bound then
    // decides when they are seen).
    const net::UdpSocket* wake() const;
    // Asks until `deadline`.
    void Add(const Fetch& fetch, Clock::time_point deadline);
    // Requests wait, run, or have answers not taken yet.
    bool Busy() const;
    // The endpoint and body of each request answered since the last call; starts waiting ones.
    std::vector<std::pair<std::string, std::string>> Finished();

private:
    struct Shared;
    void StartWaiting();

    Post post_;
    std::shared_ptr<Shared> shared_;
    std::deque<std::pair<Fetch, Clock::time_point>> waiting_;
};

} // namespace neighbourhood::wsd
