#include "neighbourhood/DiscoveredHosts.h"

#include "base/text/Text.h"

namespace neighbourhood {

DiscoveredHosts::Round DiscoveredHosts::BeginRound() {
    const std::lock_guard lock(mutex_);
    hosts_.clear();
    running_ = 0;
    changed_.notify_all();
    return ++round_;
}

DiscoveredHosts::Round DiscoveredHosts::round() const {
    const std::lock_guard lock(mutex_);
    return round_;
}

void DiscoveredHosts::Started(Round round) {
    const std::lock_guard lock(mutex_);
    if (round == round_) {
        ++running_;
    }
}

void DiscoveredHosts::Ended(
    Round round, Trust trust,
    const std::vector<std::pair<std::string, platform::Ipv4Address>>& learnt) {
    const std::lock_guard lock(mutex_);
    if (round != round_) {
        return;
    }
    for (const auto& [name, address] : learnt) {
        const auto [it, added] = hosts_.try_emplace(text::AsciiLower(name), Claim{trust, address});
        Claim& claim = it->second;
        if (!added && claim.trust < trust) {
            claim = {trust, address};
        } else if (!added && claim.trust == trust && claim.address != address) {
            claim.address.reset();
        }
    }
    --running_;
    changed_.notify_all();
}

std::optional<platform::Ipv4Address> DiscoveredHosts::find(const std::string& name) const {
    const std::lock_guard lock(mutex_);
    const auto it = hosts_.find(text::AsciiLower(name));
    if (it == hosts_.end()) {
        return std::nullopt;
    }
    return it->second.address;
}

void DiscoveredHosts::AwaitDiscoveries(std::chrono::milliseconds atMost) const {
    std::unique_lock lock(mutex_);
    const Round round = round_;
    changed_.wait_for(lock, atMost, [&] { return running_ <= 0 || round_ != round; });
}

} // namespace neighbourhood
