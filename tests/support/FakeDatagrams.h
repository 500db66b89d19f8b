#pragma once

#include "platform/Datagrams.h"
#include "tests/support/Gate.h"
#include "tests/support/StunAnswer.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace fakes {

// STUN servers and a resolver in memory. By default every server answers each request with
// `mapped`, from the endpoint asked; `server` says otherwise. resolve() and nameOf() may be
// called on threads that outlive their caller: the fake waits for them before it goes.
class FakeDatagrams final : public platform::Datagrams {
public:
    using Clock = std::chrono::steady_clock;
    struct Sent {
        platform::UdpEndpoint to;
        std::string bytes;
        Clock::time_point at;
    };

    std::map<std::string, std::vector<platform::Ipv4Address>> hosts;
    std::map<platform::Ipv4Address, std::string> names;
    platform::Ipv4Address mapped{203, 0, 113, 7};
    // What arrives after a request to `to` (nothing: silence).
    std::function<std::vector<platform::Datagram>(const platform::UdpEndpoint& to,
                                                  std::string_view request)>
        server = [this](const platform::UdpEndpoint& to, std::string_view request) {
            return std::vector<platform::Datagram>{
                {to, StunAnswer(IdOf(request), {XorMapped(mapped)})}};
        };
    // How long the resolver takes for a name (none: no time).
    std::map<std::string, std::chrono::milliseconds> resolveTime;
    bool socketFails = false;
    Gate resolveGate;
    Gate nameGate;

    ~FakeDatagrams() override {
        resolveGate.open();
        nameGate.open();
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return busy_ == 0; });
    }

    std::vector<Sent> sent() const {
        const std::lock_guard lock(mutex_);
        return sent_;
    }

    std::unique_ptr<platform::UdpSocket> open() override {
        return socketFails ? nullptr : std::make_unique<Socket>(*this);
    }

    std::vector<platform::Ipv4Address> resolve(const std::string& host) override {
        const Busy busy(*this);
        resolveGate.pass();
        if (const auto slow = resolveTime.find(host); slow != resolveTime.end()) {
            std::this_thread::sleep_for(slow->second);
        }
        const auto found = hosts.find(host);
        return found != hosts.end() ? found->second : std::vector<platform::Ipv4Address>{};
    }

    std::string nameOf(const platform::Ipv4Address& address) override {
        const Busy busy(*this);
        nameGate.pass();
        const auto found = names.find(address);
        return found != names.end() ? found->second : "";
    }

private:
    struct Busy {
        explicit Busy(FakeDatagrams& owner) : owner(owner) {
            const std::lock_guard lock(owner.mutex_);
            ++owner.busy_;
        }
        ~Busy() {
            const std::lock_guard lock(owner.mutex_);
            --owner.busy_;
            owner.idle_.notify_all();
        }
        FakeDatagrams& owner;
    };

    class Socket final : public platform::UdpSocket {
    public:
        explicit Socket(FakeDatagrams& owner) : owner_(owner) {}
        bool sendTo(const platform::UdpEndpoint& to, std::string_view bytes) override {
            {
                const std::lock_guard lock(owner_.mutex_);
                owner_.sent_.push_back({to, std::string(bytes), Clock::now()});
            }
            for (auto& datagram : owner_.server(to, bytes)) {
                arrived_.push_back(std::move(datagram));
            }
            return true;
        }
        std::optional<platform::Datagram> receive(std::chrono::milliseconds wait) override {
            if (arrived_.empty()) {
                std::this_thread::sleep_for(wait);
                return std::nullopt;
            }
            platform::Datagram next = std::move(arrived_.front());
            arrived_.pop_front();
            return next;
        }

    private:
        FakeDatagrams& owner_;
        std::deque<platform::Datagram> arrived_;
    };

    mutable std::mutex mutex_;
    std::condition_variable idle_;
    int busy_ = 0;
    std::vector<Sent> sent_;
};

} // namespace fakes
