#pragma once

#include "platform/Datagrams.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The external address without an address page: asked of STUN servers, and the name that the
// system resolver gives for it.
namespace ExternalAddress {

struct StunServer {
    std::string host;
    std::uint16_t port = 0;
    bool operator==(const StunServer&) const = default;
};

// "host:port;host:port": empty entries are skipped, as is an entry without a port from 1 to
// 65535 (the build checks the list before it gets here).
std::vector<StunServer> ParseServers(std::string_view list);

struct Bounds {
    // From the call to its answer, resolving the servers' names included.
    std::chrono::milliseconds total{1500};
    // The first retransmission time-out; it doubles after each retransmission.
    std::chrono::milliseconds firstTimeout{500};
};

// Asks every server at once and gives the address in the first valid answer: from the address
// and port a request went to, for that request's transaction. Nothing when no server answered
// within the bound.
std::optional<platform::Ipv4Address>
AskStun(platform::Datagrams& datagrams, const std::vector<StunServer>& servers, Bounds bounds = {});

// The address's registered name; empty when there is none, when it is no plain DNS name, or
// when the resolver takes longer than `bound`.
std::string NameOf(platform::Datagrams& datagrams, const platform::Ipv4Address& address,
                   std::chrono::milliseconds bound = std::chrono::milliseconds(1500));

} // namespace ExternalAddress
