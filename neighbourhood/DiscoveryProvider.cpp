#include "neighbourhood/DiscoveryProvider.h"

#include "neighbourhood/NetworkNames.h"

#include <algorithm>

namespace neighbourhood {

namespace net = platform::net;

DiscoveryProvider::~DiscoveryProvider() {
    // A discovery still running ends within its window; wait for it rather than leave it.
    if (running_.valid()) {
        running_.wait();
    }
}

const std::vector<DiscoveredComputer>& DiscoveryProvider::Computers() {
    if (!found_) {
        found_.emplace();
        if (running_.valid()) {
            try {
                for (DiscoveredComputer& computer : running_.get()) {
                    computer.name = CleanName(computer.name);
                    computer.group = CleanName(computer.group);
                    computer.comment = CleanName(computer.comment);
                    if (!computer.name.empty()) {
                        hosts_.add(computer.name, computer.address);
                        found_->push_back(std::move(computer));
                    }
                }
            } catch (const std::exception&) {
                // A discovery that failed found nothing.
            }
        }
    }
    return *found_;
}

NetResource DiscoveryProvider::Entry(std::int32_t displayType, std::string remoteName,
                                     std::string comment) const {
    NetResource entry;
    entry.scope = net::kScopeGlobalNet;
    entry.type = net::kTypeAny;
    entry.displayType = displayType;
    entry.usage =
        displayType == net::kDisplayServer ? net::kUsageConnectable : net::kUsageContainer;
    entry.remoteName = std::move(remoteName);
    entry.comment = std::move(comment);
    entry.provider = providerName_;
    return entry;
}

std::optional<std::vector<NetResource>>
DiscoveryProvider::List(std::int32_t, std::int32_t, std::int32_t, const NetResource* parent) {
    std::vector<NetResource> entries;
    if (parent == nullptr) {
        if (running_.valid()) {
            running_.wait();
        }
        found_.reset();
        running_ = std::async(std::launch::async, discover_, window_);
        entries.push_back(Entry(net::kDisplayNetwork, networkName_, ""));
    } else if (parent->provider.value_or("") != providerName_ || !parent->remoteName) {
        return std::nullopt;
    } else if (parent->displayType == net::kDisplayNetwork) {
        std::vector<std::string> groups;
        for (const DiscoveredComputer& computer : Computers()) {
            if (std::find(groups.begin(), groups.end(), computer.group) == groups.end()) {
                groups.push_back(computer.group);
                entries.push_back(Entry(net::kDisplayDomain, computer.group, ""));
            }
        }
    } else if (parent->displayType == net::kDisplayDomain) {
        for (const DiscoveredComputer& computer : Computers()) {
            if (computer.group == *parent->remoteName) {
                entries.push_back(
                    Entry(net::kDisplayServer, "\\\\" + computer.name, computer.comment));
            }
        }
    } else {
        return std::nullopt;
    }
    return entries;
}

} // namespace neighbourhood
