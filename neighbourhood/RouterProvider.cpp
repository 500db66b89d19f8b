#include "neighbourhood/RouterProvider.h"

#include "base/text/Text.h"

#include <algorithm>

namespace neighbourhood {

namespace net = platform::net;
using platform::ReadOutcome;

namespace {

// "\\NAME" gives NAME.
std::string ComputerName(const NetResource& entry) {
    const std::string& remote = entry.remoteName.value_or("");
    return remote.rfind("\\\\", 0) == 0 ? remote.substr(2) : remote;
}

} // namespace

const RouterProvider::Member* RouterProvider::MemberFor(const NetResource& container) const {
    const std::string provider = container.provider.value_or("");
    const auto named = std::find_if(members_.begin(), members_.end(),
                                    [&](const Member& member) { return member.name == provider; });
    if (named != members_.end()) {
        return &*named;
    }
    const auto any = std::find_if(members_.begin(), members_.end(),
                                  [](const Member& member) { return member.name.empty(); });
    return any != members_.end() ? &*any : nullptr;
}

RouterProvider::Listing RouterProvider::ReadAll(platform::NetworkProvider& provider,
                                                const Request& request) {
    const auto handle = provider.open(request.scope, request.type, request.usage, request.parent);
    if (!handle) {
        return std::nullopt;
    }
    constexpr std::size_t kLargeBudget = 1 << 20;
    std::vector<NetResource> entries;
    for (;;) {
        ReadOutcome outcome = provider.read(*handle, kLargeBudget);
        std::move(outcome.entries.begin(), outcome.entries.end(), std::back_inserter(entries));
        if (outcome.result != net::kResultOk) {
            break;
        }
    }
    provider.close(*handle);
    return entries;
}

std::optional<platform::Ipv4Address> RouterProvider::AddressOf(const std::string& name) {
    const auto known = addresses_.find(text::AsciiLower(name));
    if (known != addresses_.end()) {
        return known->second;
    }
    std::optional<platform::Ipv4Address> address = discovered_.find(name);
    if (!address) {
        const auto host = resolver_.getHostByName(name);
        if (host && !host->addresses.empty() && host->addresses.front().size() == 4) {
            const auto& bytes = host->addresses.front();
            address = platform::Ipv4Address{bytes[0], bytes[1], bytes[2], bytes[3]};
        }
    }
    addresses_[text::AsciiLower(name)] = address;
    return address;
}

std::vector<NetResource> RouterProvider::KeepNew(std::vector<NetResource> entries) {
    std::vector<NetResource> kept;
    for (NetResource& entry : entries) {
        if (entry.displayType != net::kDisplayServer) {
            kept.push_back(std::move(entry));
            continue;
        }
        const std::string name = ComputerName(entry);
        const std::string provider = entry.provider.value_or("");
        // Only a computer whose address discovery learnt can be matched by address, and only
        // with what another provider listed: two names one provider gives at one address are
        // two computers to it. Listed computers are looked up only then. (A name listed before
        // is the list fill's to drop.)
        if (const auto address = discovered_.find(name)) {
            if (std::any_of(listed_.begin(), listed_.end(), [&](const Listed& other) {
                    return other.provider != provider && AddressOf(other.name) == address;
                })) {
                continue;
            }
        }
        listed_.push_back({name, provider});
        kept.push_back(std::move(entry));
    }
    return kept;
}

RouterProvider::Listing RouterProvider::List(const Request& request) {
    std::vector<NetResource> entries;
    if (request.parent == nullptr) {
        // A new walk, in the round prepared for it or a new one: every member starts, and
        // nothing is listed yet.
        const std::lock_guard lock(roundMutex_);
        if (!prepared_) {
            discovered_.BeginRound();
        }
        prepared_ = false;
        listed_.clear();
        addresses_.clear();
        for (const Member& member : members_) {
            if (auto networks = ReadAll(*member.provider, request)) {
                std::move(networks->begin(), networks->end(), std::back_inserter(entries));
            }
        }
    } else {
        const Member* member = MemberFor(*request.parent);
        if (member == nullptr) {
            return std::nullopt;
        }
        return ReadAll(*member->provider, request);
    }
    return entries;
}

std::vector<NetResource> RouterProvider::Settle(std::vector<NetResource> entries) {
    return KeepNew(std::move(entries));
}

bool RouterProvider::MayListServers(const NetResource& container) {
    const Member* member = MemberFor(container);
    return member == nullptr || member->provider->MayListServers(container);
}

void RouterProvider::Prepare() {
    const std::lock_guard lock(roundMutex_);
    if (!prepared_) {
        discovered_.BeginRound();
        prepared_ = true;
    }
    for (const Member& member : members_) {
        member.provider->Prepare();
    }
}

} // namespace neighbourhood
