#include "logic/computers/clsNetwork.h"

#include "base/concurrency/Background.h"

#include <algorithm>
#include <condition_variable>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>

namespace {

// Every enumeration asks for all usages.
constexpr std::int32_t kAllUsages = 0;

clsNetwork::ResourceRecord ToRecord(const platform::NetResource& entry) {
    return {entry.scope,
            entry.type,
            entry.displayType,
            entry.usage,
            entry.localName.value_or(""),
            entry.remoteName.value_or(""),
            entry.comment.value_or(""),
            entry.provider.value_or("")};
}

platform::NetResource ToResource(const clsNetwork::ResourceRecord& record) {
    return {record.scope,     record.type,       record.displayType, record.usage,
            record.localName, record.remoteName, record.comment,     record.provider};
}

} // namespace

namespace {

using Handle = platform::NetworkProvider::Handle;

// The opens of a walk's containers, by the walk's id of each: run on threads of their own when
// the walk opens ahead, or at once when it does not. Whatever was opened and not taken is closed
// at the end.
class Opens {
public:
    Opens(platform::NetworkProvider& provider, bool ahead) : provider_(provider), ahead_(ahead) {}
    Opens(const Opens&) = delete;
    Opens& operator=(const Opens&) = delete;
    ~Opens() {
        for (auto& [index, running] : running_) {
            running.wait();
        }
        for (const auto& [index, handle] : ended_) {
            if (handle) {
                provider_.close(*handle);
            }
        }
    }

    using Id = std::uint64_t;

    bool Started(Id index) const { return started_.count(index) > 0; }

    void Start(Id index, std::function<std::optional<Handle>()> open) {
        started_.insert(index);
        if (!ahead_) {
            End(index, open);
            return;
        }
        auto ended = std::make_shared<std::promise<void>>();
        std::future<void> running = ended->get_future();
        try {
            Background::Run([this, index, open, ended] {
                End(index, open);
                ended->set_value();
            });
        } catch (const std::system_error&) {
            // No thread to open it ahead: it opens now.
            End(index, open);
            return;
        }
        running_.emplace(index, std::move(running));
    }

    // The first of the candidates, in their order, whose open has ended; waits for one.
    Id WaitAny(const std::vector<Id>& candidates) {
        std::unique_lock lock(mutex_);
        Id found = 0;
        ended_changed_.wait(lock, [&] {
            for (const Id index : candidates) {
                if (ended_.count(index) > 0) {
                    found = index;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    std::optional<Handle> Take(Id index) {
        std::unique_lock lock(mutex_);
        ended_changed_.wait(lock, [&] { return ended_.count(index) > 0; });
        const std::optional<Handle> handle = ended_[index];
        ended_.erase(index);
        return handle;
    }

private:
    void End(Id index, const std::function<std::optional<Handle>()>& open) {
        std::optional<Handle> handle;
        try {
            handle = open();
        } catch (const std::exception&) {
            // An open that failed opened nothing.
        }
        const std::lock_guard lock(mutex_);
        ended_[index] = handle;
        ended_changed_.notify_all();
    }

    platform::NetworkProvider& provider_;
    bool ahead_;
    std::set<Id> started_;
    std::map<Id, std::future<void>> running_;
    std::mutex mutex_;
    std::condition_variable ended_changed_;
    std::map<Id, std::optional<Handle>> ended_;
};

} // namespace

void clsNetwork::Reset() {
    using platform::net::kDisplayServer;
    using platform::net::kUsageContainer;
    // Every record the walk knows has an id: those in the table, and those of containers read
    // ahead of their place, which wait until that place comes.
    using Id = std::uint64_t;
    struct Known {
        Id id;
        ResourceRecord record;
    };
    Id lastId = 0;
    std::vector<Id> ids;
    const auto place = [&](std::vector<ResourceRecord> entries) {
        std::vector<Known> known;
        for (ResourceRecord& entry : entries) {
            known.push_back({++lastId, std::move(entry)});
        }
        return known;
    };
    std::size_t stored = 0;
    const auto append = [&](const std::vector<Known>& entries) {
        std::vector<ResourceRecord> records;
        for (const Known& entry : entries) {
            records.push_back(entry.record);
        }
        stored = Append(records, stored);
        ids.resize(stored - entries.size());
        for (const Known& entry : entries) {
            ids.push_back(entry.id);
        }
    };
    if (const auto root = provider_.open(platform::net::kScopeGlobalNet, GetResourceType(),
                                         kAllUsages, nullptr)) {
        append(place(ReadContainer(*root)));
        provider_.close(*root);
    }

    Opens opens(provider_, parallelOpens_ > 1);
    std::map<Id, std::vector<Known>> read; // by the id of the container
    std::set<Id> told;                     // containers whose servers have been told
    const auto isContainer = [](const ResourceRecord& record) {
        return (record.usage & kUsageContainer) != 0;
    };
    const auto listsNoServer = [&](const ResourceRecord& record) {
        return !provider_.MayListServers(ToResource(record));
    };
    const auto tell = [&](Id container) {
        if (told.insert(container).second && serverObserver_) {
            for (const Known& entry : read[container]) {
                if (entry.record.displayType == kDisplayServer) {
                    serverObserver_(entry.record);
                }
            }
        }
    };
    // Every container in the order stored, its entries put into the table in that order. While
    // one waits long, those after it may be read first, when its provider is sure it lists no
    // server; so may a container whose place is not known yet (the child of one read ahead)
    // that lists no server itself. Servers are told as soon as their order is known.
    std::size_t next = 0;
    while (next < stored && stored < kMaxRecords) {
        // The containers known beyond `next`, the table's first, then the children of those read
        // ahead: as many as may be opened at once.
        struct Candidate {
            Id id;
            ResourceRecord record;
            std::optional<std::size_t> index; // in the table
        };
        std::vector<Candidate> candidates;
        for (std::size_t index = next; index < stored && candidates.size() < parallelOpens_;
             ++index) {
            if (isContainer((*records_)[index])) {
                candidates.push_back({ids[index], (*records_)[index], index});
            }
        }
        for (std::size_t at = 0; at < candidates.size() && candidates.size() < parallelOpens_;
             ++at) {
            if (const auto children = read.find(candidates[at].id); children != read.end()) {
                for (const Known& child : children->second) {
                    if (isContainer(child.record) && candidates.size() < parallelOpens_) {
                        candidates.push_back({child.id, child.record, std::nullopt});
                    }
                }
            }
        }
        std::vector<Id> readable;
        bool passable = true;
        for (const Candidate& candidate : candidates) {
            if (read.count(candidate.id) > 0) {
                continue;
            }
            if (!opens.Started(candidate.id)) {
                opens.Start(candidate.id,
                            [this, record = candidate.record] { return OpenRecord(record); });
            }
            const bool noServer = listsNoServer(candidate.record);
            if (candidate.index ? passable : noServer) {
                readable.push_back(candidate.id);
            }
            if (candidate.index) {
                passable = passable && noServer;
            }
        }
        if (!readable.empty()) {
            const Id id = opens.WaitAny(readable);
            std::vector<ResourceRecord> entries;
            if (const auto handle = opens.Take(id)) {
                entries = ReadContainer(*handle);
                provider_.close(*handle);
            }
            read[id] = place(std::move(entries));
            // Before it, every container in the table lists no server or has had its told.
            bool known = true;
            for (std::size_t index = next; index < stored && ids[index] != id; ++index) {
                const ResourceRecord& before = (*records_)[index];
                known = known && (!isContainer(before) || told.count(ids[index]) > 0 ||
                                  (read.count(ids[index]) == 0 && listsNoServer(before)));
            }
            if (known) {
                tell(id);
            }
        }
        // What has come to its place goes into the table.
        while (next < stored && stored < kMaxRecords &&
               (!isContainer((*records_)[next]) || read.count(ids[next]) > 0)) {
            if (const auto entries = read.find(ids[next]); entries != read.end()) {
                tell(ids[next]);
                const std::vector<Known> children = std::move(entries->second);
                read.erase(entries);
                append(children);
            }
            ++next;
        }
    }
    BuildLists();
}

std::optional<platform::NetworkProvider::Handle>
clsNetwork::OpenRecord(const ResourceRecord& record) {
    const platform::NetResource resource = ToResource(record);
    return provider_.open(platform::net::kScopeGlobalNet, GetResourceType(), kAllUsages, &resource);
}

std::vector<clsNetwork::ResourceRecord>
clsNetwork::ReadContainer(platform::NetworkProvider::Handle handle) {
    using namespace platform::net;
    std::vector<ResourceRecord> entries;
    for (int reads = 0; reads < kMaxReadsPerContainer; ++reads) {
        platform::ReadOutcome outcome = provider_.read(handle, kReadBudget);
        for (const auto& entry : outcome.entries) {
            entries.push_back(ToRecord(entry));
        }
        // Read on while the provider has more; an entry that can never fit ends the container.
        const bool more = outcome.result == kResultOk ||
                          (outcome.result == kResultMoreData && !outcome.entries.empty());
        if (!more) {
            break;
        }
    }
    return entries;
}

std::size_t clsNetwork::Append(const std::vector<ResourceRecord>& entries, std::size_t stored) {
    if (entries.empty()) {
        return stored;
    }
    if (!records_) {
        records_.emplace();
    }
    // The table ends holding exactly this walk's records.
    records_->resize(stored);
    records_->insert(records_->end(), entries.begin(), entries.end());
    return records_->size();
}

void clsNetwork::BuildLists() {
    if (!records_) {
        throw NoRecords();
    }
    ReadLocalNames();
    for (const ResourceRecord& record : *records_) {
        if (record.displayType >= 0 &&
            record.displayType < static_cast<std::int32_t>(lists_.size())) {
            lists_[static_cast<std::size_t>(record.displayType)] += record.remoteName + "|";
        }
    }
}

void clsNetwork::ReadLocalNames() {
    try {
        localUserName_ = localNames_.userName();
    } catch (const std::exception&) {
        // Each name is read on its own; a failure leaves that name as it was.
    }
    try {
        localMachineName_ = localNames_.computerName();
    } catch (const std::exception&) {
    }
}
