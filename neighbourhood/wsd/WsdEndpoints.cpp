#include "neighbourhood/wsd/WsdEndpoints.h"

#include "base/text/Text.h"
#include "neighbourhood/NetworkNames.h"

#include <algorithm>
#include <cctype>

namespace neighbourhood::wsd {

std::string UrlForHost(const std::vector<std::string>& xaddrs, const platform::Ipv4Address& host) {
    static constexpr std::string_view kScheme = "http://";
    for (const std::string& url : xaddrs) {
        if (url.size() <= kScheme.size() ||
            text::AsciiLower(std::string_view(url).substr(0, kScheme.size())) != kScheme) {
            continue;
        }
        const std::size_t start = kScheme.size();
        const std::size_t end = std::min(url.find_first_of("/?#", start), url.size());
        const std::string authority = url.substr(start, end - start);
        const std::size_t colon = authority.find(':');
        const std::string address = authority.substr(0, colon);
        // A strict port also turns away "host:port@other-host".
        if (colon != std::string::npos) {
            const std::string port = authority.substr(colon + 1);
            if (port.empty() || port.size() > 5 ||
                !std::all_of(port.begin(), port.end(),
                             [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
                continue;
            }
        }
        // Strict dotted text, as the host's own: no other spelling of an address.
        if (address == platform::DottedText(host)) {
            return url;
        }
    }
    return {};
}

void Endpoints::Learn(Endpoint& endpoint, const Match& match) {
    if (!match.types.empty()) {
        endpoint.typesKnown = true;
        endpoint.computer = endpoint.computer || match.IsComputer();
    }
    if (endpoint.url.empty()) {
        endpoint.url = UrlForHost(match.xaddrs, endpoint.address);
    }
}

void Endpoints::OnProbeMatches(const Matches& matches, const platform::Ipv4Address& source,
                               int link) {
    if (probes_.count(matches.relatesTo) == 0) {
        return;
    }
    for (const Match& match : matches.matches) {
        auto it = endpoints_.find(match.endpoint);
        if (it == endpoints_.end()) {
            std::size_t& added = perPeer_[source];
            if (endpoints_.size() >= limit_ || added >= kMaxEndpointsPerPeer) {
                continue;
            }
            ++added;
            Endpoint fresh;
            fresh.address = source;
            fresh.link = link;
            it = endpoints_.emplace(match.endpoint, fresh).first;
            ++learnt_;
        }
        Learn(it->second, match);
    }
}

void Endpoints::OnResolveMatches(const Matches& matches) {
    const auto asked = resolves_.find(matches.relatesTo);
    if (asked == resolves_.end()) {
        return;
    }
    for (const Match& match : matches.matches) {
        const auto it = endpoints_.find(match.endpoint);
        if (match.endpoint == asked->second && it != endpoints_.end()) {
            learnt_ += it->second.resolved ? 0 : 1;
            it->second.resolved = true;
            Learn(it->second, match);
        }
    }
}

std::vector<std::string> Endpoints::NeedingResolve() const {
    std::vector<std::string> pending;
    for (const auto& [address, endpoint] : endpoints_) {
        // A ProbeMatch without types is resolved to learn them.
        if (endpoint.url.empty() && !endpoint.resolved &&
            (endpoint.computer || !endpoint.typesKnown)) {
            pending.push_back(address);
        }
    }
    return pending;
}

int Endpoints::LinkOf(const std::string& endpoint) const {
    const auto it = endpoints_.find(endpoint);
    return it == endpoints_.end() ? -1 : it->second.link;
}

std::vector<Fetch> Endpoints::TakeFetches() {
    std::vector<Fetch> fetches;
    for (auto& [address, endpoint] : endpoints_) {
        if (endpoint.computer && !endpoint.url.empty() && !endpoint.fetched) {
            endpoint.fetched = true;
            fetches.push_back({address, endpoint.url});
        }
    }
    return fetches;
}

void Endpoints::OnComputer(const std::string& endpoint, const ComputerName& name) {
    const auto it = endpoints_.find(endpoint);
    if (it == endpoints_.end() || !it->second.computer || it->second.named) {
        return;
    }
    Computer computer{CleanName(name.name), CleanName(name.group),
                      CleanName(name.friendlyName, kMaxCommentBytes), it->second.address};
    if (computer.name.empty()) {
        return;
    }
    it->second.named = true;
    ++learnt_;
    it->second.result = std::move(computer);
}

std::vector<Computer> Endpoints::Computers() const {
    std::vector<Computer> computers;
    for (const auto& [address, endpoint] : endpoints_) {
        if (endpoint.named) {
            computers.push_back(endpoint.result);
        }
    }
    return computers;
}

} // namespace neighbourhood::wsd
