#pragma once

#include "neighbourhood/DiscoveredComputer.h"
#include "neighbourhood/wsd/WsdMessages.h"
#include "platform/Ipv4Address.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace neighbourhood::wsd {

using Computer = DiscoveredComputer;

// A name request to make: POST BuildGet(endpoint) to url.
struct Fetch {
    std::string endpoint;
    std::string url;
};

// The http://a.b.c.d[:port]/... URL among `xaddrs` that points at `host`; empty when none does.
// Only that host: an answer must not send the name request anywhere else.
std::string UrlForHost(const std::vector<std::string>& xaddrs, const platform::Ipv4Address& host);

// What one peer may fill of the endpoint table: a computer has one endpoint, a device a few.
inline constexpr std::size_t kMaxEndpointsPerPeer = 16;

// What the answers have told about the endpoints, by endpoint address. A computer's address is
// the source of its first ProbeMatch. Only endpoints of type pub:Computer are followed up.
class Endpoints {
public:
    explicit Endpoints(std::size_t limit = 1024) : limit_(limit) {}

    // ProbeMatches for other Probes than ours are ignored.
    void ProbeSent(const std::string& messageId) { probes_.insert(messageId); }
    // `link` tells where it was heard, to send the Resolve there. Each source adds at most
    // kMaxEndpointsPerPeer endpoints.
    void OnProbeMatches(const Matches& matches, const platform::Ipv4Address& source, int link);
    // A Resolve for the endpoint went out under this message id.
    void ResolveSent(const std::string& messageId, const std::string& endpoint) {
        resolves_[messageId] = endpoint;
    }
    // Only the answer to our Resolve, and only for the endpoint it asked about.
    void OnResolveMatches(const Matches& matches);

    // Computers heard of without a URL to ask, and not yet answered to a Resolve.
    std::vector<std::string> NeedingResolve() const;
    int LinkOf(const std::string& endpoint) const;
    // The name requests not handed out yet; each endpoint is handed out once.
    std::vector<Fetch> TakeFetches();
    // The answer to a name request: the names are cleaned and capped here.
    void OnComputer(const std::string& endpoint, const ComputerName& name);

    std::vector<Computer> Computers() const;
    // Grows with every new endpoint, answered Resolve and named computer: what the discovery
    // counts as news.
    std::size_t Learnt() const { return learnt_; }

private:
    struct Endpoint {
        platform::Ipv4Address address{};
        int link = 0;
        bool typesKnown = false;
        bool computer = false;
        bool resolved = false;
        std::string url;
        bool fetched = false;
        bool named = false;
        Computer result;
    };

    void Learn(Endpoint& endpoint, const Match& match);

    std::size_t limit_;
    std::set<std::string> probes_;
    std::map<std::string, std::string> resolves_; // message id to endpoint
    std::map<std::string, Endpoint> endpoints_;
    std::map<platform::Ipv4Address, std::size_t> perPeer_;
    std::size_t learnt_ = 0;
};

} // namespace neighbourhood::wsd
