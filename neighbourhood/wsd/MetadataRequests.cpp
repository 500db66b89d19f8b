#include "neighbourhood/wsd/MetadataRequests.h"

#include "base/concurrency/Background.h"

#include <mutex>
#include <optional>

namespace neighbourhood::wsd {

struct MetadataRequests::Shared {
    std::mutex mutex;
    std::vector<std::pair<std::string, std::string>> done;
    std::size_t running = 0;
    std::optional<net::UdpSocket> wake = net::UdpSocket::Loopback();
    std::optional<net::UdpSocket> waker = net::UdpSocket::Loopback();
    std::uint16_t wakePort = wake ? wake->port() : 0;
};

MetadataRequests::MetadataRequests(Post post) : post_(post), shared_(std::make_shared<Shared>()) {}

MetadataRequests::~MetadataRequests() = default;

const net::UdpSocket* MetadataRequests::wake() const {
    return shared_->wake && shared_->waker ? &*shared_->wake : nullptr;
}

void MetadataRequests::Add(const Fetch& fetch, Clock::time_point deadline) {
    waiting_.emplace_back(fetch, deadline);
    StartWaiting();
}

void MetadataRequests::StartWaiting() {
    while (!waiting_.empty()) {
        {
            const std::lock_guard lock(shared_->mutex);
            if (shared_->running >= kMaxRunning) {
                return;
            }
            ++shared_->running;
        }
        auto [fetch, deadline] = std::move(waiting_.front());
        waiting_.pop_front();
        const auto limit =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        try {
            Background::Run([shared = shared_, post = post_, fetch = std::move(fetch), limit] {
                auto body = post(fetch.url, BuildGet(NewMessageId(), fetch.endpoint), limit,
                                 kMaxMessageSize);
                const std::lock_guard lock(shared->mutex);
                --shared->running;
                if (body) {
                    shared->done.emplace_back(fetch.endpoint, std::move(*body));
                }
                if (shared->wake && shared->waker) {
                    const char byte = 0;
                    shared->waker->SendTo({127, 0, 0, 1}, shared->wakePort, &byte, 1);
                }
            });
        } catch (const std::exception&) {
            // Without a thread that computer stays unnamed.
            const std::lock_guard lock(shared_->mutex);
            --shared_->running;
        }
    }
}

bool MetadataRequests::Busy() const {
    const std::lock_guard lock(shared_->mutex);
    return !waiting_.empty() || shared_->running > 0 || !shared_->done.empty();
}

std::vector<std::pair<std::string, std::string>> MetadataRequests::Finished() {
    std::vector<std::pair<std::string, std::string>> finished;
    {
        const std::lock_guard lock(shared_->mutex);
        if (shared_->wake) {
            char byte = 0;
            while (shared_->wake->Receive(&byte, 1)) {
            }
        }
        finished.swap(shared_->done);
    }
    StartWaiting();
    return finished;
}

} // namespace neighbourhood::wsd
