#include "neighbourhood/DiscoveryProvider.h"

#include "base/concurrency/Background.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace neighbourhood {

namespace net = platform::net;

namespace {

// Runs the discovery and tells the hosts what it learnt, also when it fails.
std::vector<DiscoveredComputer> Discovered(const DiscoveryProvider::Discover& discover,
                                           std::chrono::milliseconds ceiling, std::stop_token stop,
                                           DiscoveredHosts& hosts, DiscoveredHosts::Round round,
                                           DiscoveredHosts::Trust trust, const Found& told) {
    std::vector<DiscoveredComputer> found;
    std::vector<std::pair<std::string, platform::Ipv4Address>> learnt;
    // Only while its round is the current one: a stopped discovery's news is stale.
    const Found early = [&](const DiscoveredComputer& computer) {
        if (told && !computer.name.empty() && hosts.round() == round) {
            told(computer);
        }
    };
    try {
        // Cleaned and capped where they came in; a computer without a name is none.
        for (DiscoveredComputer& computer : discover(ceiling, std::move(stop), early)) {
            if (!computer.name.empty()) {
                learnt.emplace_back(computer.name, computer.address);
                found.push_back(std::move(computer));
            }
        }
    } catch (const std::exception&) {
        // A discovery that failed found nothing.
    }
    hosts.Ended(round, trust, learnt);
    return found;
}

} // namespace

DiscoveryProvider::~DiscoveryProvider() {
    const std::lock_guard lock(mutex_);
    if (run_) {
        run_->stop.request_stop();
        run_->found.wait();
    }
}

void DiscoveryProvider::StartRun() {
    if (run_) {
        run_->stop.request_stop();
        run_->found.wait();
    }
    run_.emplace();
    run_->round = hosts_.round();
    hosts_.Started(run_->round);
    auto found = std::make_shared<std::promise<std::vector<DiscoveredComputer>>>();
    run_->found = found->get_future().share();
    try {
        Background::Run([found, discover = discover_, ceiling = ceiling_,
                         stop = run_->stop.get_token(), hosts = &hosts_, round = run_->round,
                         trust = trust_, told = found_] {
            found->set_value(Discovered(discover, ceiling, stop, *hosts, round, trust, told));
        });
    } catch (const std::system_error&) {
        // No thread to listen on: this round's discovery found nothing, and lookups need not
        // wait for it.
        hosts_.Ended(run_->round, trust_, {});
        found->set_value({});
    }
}

bool DiscoveryProvider::MayListServers(const NetResource& container) {
    return container.displayType != net::kDisplayNetwork;
}

void DiscoveryProvider::Prepare() {
    const std::lock_guard lock(mutex_);
    if (!run_ || run_->round != hosts_.round()) {
        StartRun();
    }
}

std::vector<DiscoveredComputer> DiscoveryProvider::Computers() {
    std::shared_future<std::vector<DiscoveredComputer>> found;
    {
        const std::lock_guard lock(mutex_);
        if (!run_) {
            return {};
        }
        found = run_->found;
    }
    return found.get();
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

DiscoveryProvider::Listing DiscoveryProvider::List(const Request& request) {
    const NetResource* parent = request.parent;
    std::vector<NetResource> entries;
    if (parent == nullptr) {
        // The discovery prepared for this round, or a new one.
        const std::lock_guard lock(mutex_);
        if (!run_ || run_->round != hosts_.round() || run_->walked) {
            StartRun();
        }
        run_->walked = true;
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
