#include "neighbourhood/mdns/MdnsCollector.h"

#include "base/text/Text.h"
#include "neighbourhood/NetworkNames.h"

#include <set>

namespace neighbourhood::mdns {

namespace {

constexpr const char* kWorkstation = "_workstation._tcp.local";
constexpr const char* kSmb = "_smb._tcp.local";
constexpr const char* kDeviceInfo = "_device-info._tcp.local";

// Service types whose instances have an SRV record naming the host.
bool IsHostService(const std::string& lowerName) {
    return lowerName == kWorkstation || lowerName == kSmb;
}

// The service type of an instance name ("<instance>.<service>.<proto>.local"), lower case;
// empty when the name is not an instance of one of ours.
std::string ServiceOf(const std::string& instance) {
    std::vector<std::string> labels = SplitName(instance);
    if (labels.size() != 4) {
        return {};
    }
    labels.erase(labels.begin());
    std::string service = text::AsciiLower(JoinName(labels));
    return IsHostService(service) || service == kDeviceInfo ? service : std::string();
}

// "host.local" → "host", fit to show; empty when nothing is left.
std::string HostName(const std::string& target) {
    std::vector<std::string> labels = SplitName(target);
    if (!labels.empty() && text::AsciiLower(labels.back()) == "local") {
        labels.pop_back();
    }
    std::string name;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        name += (i > 0 ? "." : "") + labels[i];
    }
    return CleanName(name);
}

} // namespace

std::vector<Question> BrowseQuestions() {
    return {{kWorkstation, kTypePtr, kClassIn},
            {kSmb, kTypePtr, kClassIn},
            {kDeviceInfo, kTypePtr, kClassIn}};
}

Collector::Instance* Collector::FindOrAddInstance(const std::string& name,
                                                  const platform::Ipv4Address& peer) {
    const std::string key = NameKey(name);
    const auto it = instances_.find(key);
    if (it != instances_.end()) {
        return it->second.peer == peer ? &it->second : nullptr;
    }
    // With the host list full a new instance could only add questions, never a computer.
    Share& share = shares_[peer];
    if (instances_.size() >= kMaxInstances || hosts_.size() >= kMaxComputers ||
        share.instances >= kMaxInstancesPerPeer) {
        return nullptr;
    }
    ++share.instances;
    ++learnt_;
    instanceOrder_.push_back(key);
    return &instances_.emplace(key, Instance{name, peer, std::nullopt}).first->second;
}

void Collector::AddSrv(const Record& record, const Srv& srv, const platform::Ipv4Address& peer) {
    if (!IsHostService(ServiceOf(record.name)) || HostName(srv.target).empty()) {
        return;
    }
    Instance* instance = FindOrAddInstance(record.name, peer);
    if (instance == nullptr || instance->host) {
        return;
    }
    const std::string key = NameKey(srv.target);
    if (hosts_.count(key) == 0) {
        Share& share = shares_[peer];
        if (hosts_.size() >= kMaxComputers || share.hosts >= kMaxHostsPerPeer) {
            instance->host = std::string(); // known, but no room: not asked about again
            return;
        }
        ++share.hosts;
        ++learnt_;
        hostOrder_.push_back(key);
        hosts_.emplace(key, Host{srv.target, peer, std::nullopt});
    }
    instance->host = key;
}

void Collector::Add(const Message& message, const platform::Ipv4Address& source) {
    if (!message.IsResponse() || (message.flags & 0x000F) != 0) {
        return;
    }
    // Records may come in any order: instances first, then their hosts, then addresses.
    for (const Record& record : message.records) {
        const auto* ptr = std::get_if<Ptr>(&record.data);
        if (ptr != nullptr && record.klass == kClassIn && IsHostService(NameKey(record.name)) &&
            ServiceOf(ptr->target) == NameKey(record.name)) {
            FindOrAddInstance(ptr->target, source);
        }
    }
    for (const Record& record : message.records) {
        const auto* srv = std::get_if<Srv>(&record.data);
        if (srv != nullptr && record.klass == kClassIn) {
            AddSrv(record, *srv, source);
        }
    }
    for (const Record& record : message.records) {
        const auto* a = std::get_if<A>(&record.data);
        if (a == nullptr || record.klass != kClassIn) {
            continue;
        }
        // A peer tells its own address, for the host it named.
        const auto it = hosts_.find(NameKey(record.name));
        if (it != hosts_.end() && !it->second.address && it->second.peer == source &&
            a->address == source) {
            it->second.address = a->address;
            ++learnt_;
        }
    }
}

std::vector<Question> Collector::Missing() const {
    std::vector<Question> questions;
    for (const std::string& key : instanceOrder_) {
        const Instance& instance = instances_.at(key);
        if (!instance.host && questions.size() + 2 <= kMaxFollowUps) {
            questions.push_back({instance.name, kTypeSrv, kClassIn});
            questions.push_back({instance.name, kTypeTxt, kClassIn});
        }
    }
    for (const std::string& key : hostOrder_) {
        const Host& host = hosts_.at(key);
        if (!host.address && questions.size() < kMaxFollowUps) {
            questions.push_back({host.target, kTypeA, kClassIn});
        }
    }
    return questions;
}

std::vector<Computer> Collector::Computers() const {
    std::vector<Computer> computers;
    std::set<std::string> names;
    for (const std::string& key : hostOrder_) {
        const Host& host = hosts_.at(key);
        std::string name = HostName(host.target);
        if (host.address && names.insert(text::AsciiLower(name)).second) {
            computers.push_back({std::move(name), "local", "", *host.address});
        }
    }
    return computers;
}

} // namespace neighbourhood::mdns
