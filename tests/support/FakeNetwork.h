#pragma once

#include "platform/EntryCursor.h"
#include "platform/NetworkProvider.h"
#include "platform/SocketLibrary.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/Gate.h"

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace fakes {

// A neighbourhood held in memory: the children of each container by its remote name ("" for
// the root). Records every open and how each container was read; opens may come from several
// threads, and a container's gate holds its open.
class Provider final : public platform::NetworkProvider {
public:
    struct Opened {
        std::string parent; // "" for the root
        std::int32_t scope;
        std::int32_t type;
        std::int32_t usage;
    };

    std::map<std::string, std::vector<platform::NetResource>> children;
    std::vector<std::string> failingOpens; // containers whose open fails
    std::map<std::string, int> endResults; // a result instead of "no more items"
    bool rootFails = false;
    std::map<std::string, Gate> gates;   // set up before the walk
    std::set<std::string> listsNoServer; // containers sure to list no server
    std::vector<Opened> opened;
    int closes = 0;
    int reads = 0;

    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const platform::NetResource* parent) override {
        const std::string name = parent ? parent->remoteName.value_or("") : std::string();
        {
            const std::lock_guard lock(mutex_);
            opened.push_back({name, scope, type, usage});
        }
        if (const auto gate = gates.find(name); gate != gates.end()) {
            gate->second.pass();
        }
        if ((parent == nullptr && rootFails) ||
            std::find(failingOpens.begin(), failingOpens.end(), name) != failingOpens.end()) {
            return std::nullopt;
        }
        const auto listed = children.find(name);
        const std::lock_guard lock(mutex_);
        const Handle handle = next_++;
        cursors_.emplace(
            handle, std::make_pair(
                        name, platform::EntryCursor(listed != children.end()
                                                        ? listed->second
                                                        : std::vector<platform::NetResource>{})));
        return handle;
    }

    bool MayListServers(const platform::NetResource& container) override {
        return listsNoServer.count(container.remoteName.value_or("")) == 0;
    }

    std::size_t opens() {
        const std::lock_guard lock(mutex_);
        return opened.size();
    }

    platform::ReadOutcome read(Handle handle, std::size_t budget) override {
        const std::lock_guard lock(mutex_);
        ++reads;
        auto& [name, cursor] = cursors_.at(handle);
        platform::ReadOutcome outcome = cursor.next(budget);
        const auto end = endResults.find(name);
        if (end != endResults.end() && outcome.result != platform::net::kResultOk) {
            outcome.result = end->second;
        }
        return outcome;
    }

    void close(Handle handle) override {
        const std::lock_guard lock(mutex_);
        ++closes;
        cursors_.erase(handle);
    }

private:
    std::mutex mutex_;
    Handle next_ = 1;
    std::map<Handle, std::pair<std::string, platform::EntryCursor>> cursors_;
};

inline platform::NetResource Resource(std::int32_t displayType, std::string remoteName,
                                      bool container, std::int32_t type = 0) {
    platform::NetResource resource;
    resource.scope = platform::net::kScopeGlobalNet;
    resource.type = type;
    resource.displayType = displayType;
    resource.usage = container ? platform::net::kUsageContainer : platform::net::kUsageConnectable;
    resource.remoteName = std::move(remoteName);
    resource.provider = "Fake Network";
    return resource;
}

// Resolves names from a table; counts start-ups and clean-ups. Safe from several threads; its
// gate holds every lookup.
class Resolver final : public platform::SocketLibrary {
public:
    platform::SocketStartup started{0, 0x0101, 32767};
    int cleanupResult = 0;
    std::map<std::string, platform::HostEntry> hosts;
    std::vector<std::string> looked;
    int startups = 0;
    int cleanups = 0;
    Gate gate;

    platform::SocketStartup startup(std::uint16_t) override {
        const std::lock_guard lock(mutex_);
        ++startups;
        return started;
    }
    std::optional<platform::HostEntry> getHostByName(const std::string& name) override {
        gate.pass();
        const std::lock_guard lock(mutex_);
        looked.push_back(name);
        const auto it = hosts.find(name);
        if (it == hosts.end()) {
            return std::nullopt;
        }
        return it->second;
    }
    int cleanup() override {
        const std::lock_guard lock(mutex_);
        ++cleanups;
        return cleanupResult;
    }
    void add(const std::string& name, std::vector<std::uint8_t> address) {
        hosts[name] = {static_cast<std::int16_t>(address.size()), {std::move(address)}};
    }

private:
    std::mutex mutex_;
};

} // namespace fakes
