#pragma once

#include "platform/Ipv4Address.h"

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace neighbourhood {

// A computer that a discovery protocol found, as WS-Discovery and mDNS both give it: cleaned
// and capped where its message came in (CleanName), the nameless left out.
struct DiscoveredComputer {
    std::string name;
    std::string group; // workgroup or domain; "local" for DNS-SD
    std::string comment;
    platform::Ipv4Address address{};
    bool operator==(const DiscoveredComputer&) const = default;
};

// Told of each computer as soon as a discovery knows it, before the discovery ends; on the
// discovery's thread.
using Found = std::function<void(const DiscoveredComputer&)>;

// Tells each computer of a discovery once, by name.
class FoundOnce {
public:
    explicit FoundOnce(Found found) : found_(std::move(found)) {}
    void Tell(const std::vector<DiscoveredComputer>& computers) {
        for (const DiscoveredComputer& computer : computers) {
            if (found_ && told_.insert(computer.name).second) {
                found_(computer);
            }
        }
    }

private:
    Found found_;
    std::set<std::string> told_;
};

} // namespace neighbourhood
