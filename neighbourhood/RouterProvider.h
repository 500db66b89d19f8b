#pragma once

#include "neighbourhood/DiscoveredHosts.h"
#include "neighbourhood/ListingProvider.h"
#include "platform/SocketLibrary.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace neighbourhood {

using platform::NetResource;

// Several network providers as one, in a fixed order: the root holds each provider's networks,
// and every other container is opened by the provider that listed it (its provider text). A
// computer that another provider listed before at the address that discovery learnt for it is
// dropped, in walk order whatever order the containers open in; a name listed before, in any
// case, is dropped by the list fill.
class RouterProvider final : public ListingProvider {
public:
    struct Member {
        // The provider text of its entries; empty for a member that opens every container no
        // other member names (the system's router, whose providers have names of their own).
        std::string name;
        platform::NetworkProvider* provider;
    };

    // The resolver gives the addresses of computers whose provider does not tell them; the
    // discovered hosts, which begin a round with each walk, those that discovery learnt.
    RouterProvider(std::vector<Member> members, platform::SocketLibrary& resolver,
                   DiscoveredHosts& discovered)
        : members_(std::move(members)), resolver_(resolver), discovered_(discovered) {}

    // Begins the round of the coming walk and prepares every member.
    void Prepare() override;
    // As the member that listed the container tells.
    bool MayListServers(const NetResource& container) override;

private:
    Listing List(const Request& request) override;
    std::vector<NetResource> Settle(std::vector<NetResource> entries) override;
    // The member that opens the container; null when none does.
    const Member* MemberFor(const NetResource& container) const;
    // Every entry of one container of a member, read to the end.
    static Listing ReadAll(platform::NetworkProvider& provider, const Request& request);
    // Drops computers listed earlier in this walk, and notes the ones kept.
    std::vector<NetResource> KeepNew(std::vector<NetResource> entries);
    std::optional<platform::Ipv4Address> AddressOf(const std::string& name);

    std::vector<Member> members_;
    platform::SocketLibrary& resolver_;
    DiscoveredHosts& discovered_;
    std::mutex roundMutex_;
    bool prepared_ = false; // a round begun for a walk that has not come yet
    // Of the walk, used in its order only.
    struct Listed {
        std::string name; // as listed, to resolve when needed
        std::string provider;
    };
    std::vector<Listed> listed_;
    std::map<std::string, std::optional<platform::Ipv4Address>> addresses_;
};

} // namespace neighbourhood
