#include "platform/DiscoveryProvider.h"

#include <algorithm>

namespace platform {

std::string CleanName(const std::string& name) {
    std::string clean;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            continue;
        }
        clean += c == '|' ? '_' : c;
    }
    return clean;
}

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

std::optional<NetworkProvider::Handle>
DiscoveryProvider::open(std::int32_t, std::int32_t, std::int32_t, const NetResource* parent) {
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
    const Handle handle = next_++;
    open_.emplace(handle, EntryCursor(std::move(entries)));
    return handle;
}

ReadOutcome DiscoveryProvider::read(Handle handle, std::size_t budget) {
    const auto it = open_.find(handle);
    if (it == open_.end()) {
        return {net::kResultInvalidHandle, {}};
    }
    return it->second.next(budget);
}

void DiscoveryProvider::close(Handle handle) {
    open_.erase(handle);
}

} // namespace platform
