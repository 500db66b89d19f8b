#include "neighbourhood/NameLookup.h"

#include "base/text/Text.h"
#include "neighbourhood/net/SystemResolver.h"
#include "neighbourhood/netbios/NetbiosNameQuery.h"

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
    return [wait](const std::string& name) { return netbios::Query(name, wait); };
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

std::optional<platform::HostEntry> NameLookup::getHostByName(const std::string& name) {
    std::optional<std::promise<Address>> mine;
    std::shared_future<Address> answer;
    {
        const std::lock_guard lock(mutex_);
        if (const auto round = discovered_.round(); round != round_) {
            asked_.clear();
            round_ = round;
        }
        const std::string key = text::AsciiLower(name);
        if (const auto it = asked_.find(key); it != asked_.end()) {
            answer = it->second;
        } else {
            mine.emplace();
            answer = mine->get_future().share();
            asked_.emplace(key, answer);
        }
    }
    if (mine) {
        Address address;
        try {
            address = LookUp(name);
        } catch (const std::exception&) {
            // A lookup that failed found nothing.
        }
        mine->set_value(std::move(address));
    }
    const Address& address = answer.get();
    if (!address) {
        return std::nullopt;
    }
    return platform::HostEntry{4, {*address}};
}

} // namespace neighbourhood
