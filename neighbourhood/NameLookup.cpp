#include "neighbourhood/NameLookup.h"

#include "base/concurrency/Background.h"
#include "base/text/Text.h"
#include "neighbourhood/net/SystemResolver.h"
#include "neighbourhood/netbios/NameQueries.h"

namespace neighbourhood {

namespace {

NameLookup::Address SystemLookup(const std::string& name) {
    const auto address = net::SystemIpv4(name);
    if (!address) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(address->begin(), address->end());
}

} // namespace

platform::SocketStartup NameLookup::startup(std::uint16_t requestedVersion) {
    // Whatever version is asked for is available; sockets are limited only by the system.
    return {0, requestedVersion, 32767};
}

NameLookup::Lookup NameLookup::SystemResolver() {
    return SystemLookup;
}

NameLookup::Lookup NameLookup::NetbiosQuery(std::chrono::milliseconds wait) {
    // One socket for the whole neighbourhood: names asked together wait together.
    return [queries = std::make_shared<netbios::NameQueries>(wait)](const std::string& name) {
        return queries->Ask(name);
    };
}

NameLookup::~NameLookup() {
    std::unique_lock lock(mutex_);
    aheadEnded_.wait(lock, [this] { return ahead_ == 0; });
}

NameLookup::Address NameLookup::LookUp(const std::string& name) {
    // A name that reads as a number would be taken for the address it spells.
    if (name.empty() || text::IsNumericAddress(name)) {
        return std::nullopt;
    }
    if (auto address = system_(name)) {
        return address;
    }
    // The broadcast is answered by the computer of that name itself; what discovery heard was
    // said by whoever announced the name, and counts only when nothing better answers.
    if (auto address = netbios_(name)) {
        return address;
    }
    discovered_.AwaitDiscoveries(kDiscoveryWait);
    if (const auto found = discovered_.find(name)) {
        return std::vector<std::uint8_t>(found->begin(), found->end());
    }
    return std::nullopt;
}

std::shared_future<NameLookup::Address>
NameLookup::Claim(const std::string& name, std::optional<std::promise<Address>>& mine) {
    if (const auto round = discovered_.round(); round != round_) {
        asked_.clear();
        round_ = round;
    }
    const std::string key = text::AsciiLower(name);
    if (const auto it = asked_.find(key); it != asked_.end()) {
        return it->second;
    }
    mine.emplace();
    std::shared_future<Address> answer = mine->get_future().share();
    asked_.emplace(key, answer);
    return answer;
}

void NameLookup::Answer(const std::string& name, std::promise<Address>& mine) {
    Address address;
    try {
        address = LookUp(name);
    } catch (const std::exception&) {
        // A lookup that failed found nothing.
    }
    mine.set_value(std::move(address));
}

void NameLookup::Expect(const std::string& name) {
    DiscoveredHosts::Round round = 0;
    {
        const std::lock_guard lock(mutex_);
        if (ahead_ >= kMaxAhead) {
            return;
        }
        ++ahead_;
        round = discovered_.round();
    }
    const auto ended = [this] {
        const std::lock_guard lock(mutex_);
        --ahead_;
        aheadEnded_.notify_all();
    };
    try {
        // The name is claimed on that thread: without one, nothing is claimed, and whoever
        // asks looks it up. Never here: the caller is a discovery, which a lookup may wait for.
        Background::Run([this, name, round, ended] {
            std::optional<std::promise<Address>> mine;
            {
                const std::lock_guard lock(mutex_);
                if (discovered_.round() == round) {
                    Claim(name, mine);
                }
            }
            if (mine) {
                Answer(name, *mine);
            }
            ended();
        });
    } catch (const std::exception&) {
        ended();
    }
}

std::optional<platform::HostEntry> NameLookup::getHostByName(const std::string& name) {
    std::optional<std::promise<Address>> mine;
    std::shared_future<Address> answer;
    {
        const std::lock_guard lock(mutex_);
        answer = Claim(name, mine);
    }
    if (mine) {
        Answer(name, *mine);
    }
    const Address& address = answer.get();
    if (!address) {
        return std::nullopt;
    }
    return platform::HostEntry{4, {*address}};
}

} // namespace neighbourhood
