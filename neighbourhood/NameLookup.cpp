#include "neighbourhood/NameLookup.h"

#include "neighbourhood/netbios/NetbiosNameQuery.h"
#include "base/text/Text.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

namespace neighbourhood {

namespace {

std::optional<std::vector<std::uint8_t>> SystemLookup(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (name.empty() || getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
        return std::nullopt;
    }
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> owner(found, freeaddrinfo);
    for (const addrinfo* it = found; it != nullptr; it = it->ai_next) {
        if (it->ai_family == AF_INET && it->ai_addr != nullptr) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(it->ai_addr);
            std::vector<std::uint8_t> bytes(4);
            std::memcpy(bytes.data(), &in->sin_addr, 4);
            return bytes;
        }
    }
    return std::nullopt;
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
