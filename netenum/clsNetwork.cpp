#include "netenum/clsNetwork.h"

#include <deque>
#include <future>

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

void clsNetwork::Reset() {
    using Handle = platform::NetworkProvider::Handle;
    using Open = std::future<std::optional<Handle>>;
    const auto ready = [](std::optional<Handle> handle) {
        std::promise<std::optional<Handle>> promise;
        promise.set_value(handle);
        return promise.get_future();
    };
    // Opens that ran ahead of a walk that ended early are closed again.
    std::deque<Open> opening;
    struct CloseLeftOver {
        std::deque<Open>& opening;
        platform::NetworkProvider& provider;
        ~CloseLeftOver() {
            for (Open& open : opening) {
                try {
                    if (const auto handle = open.get()) {
                        provider.close(*handle);
                    }
                } catch (const std::exception&) {
                }
            }
        }
    } closeLeftOver{opening, provider_};

    std::size_t stored = 0;
    if (const auto root = provider_.open(platform::net::kScopeGlobalNet, GetResourceType(),
                                         kAllUsages, nullptr)) {
        stored = ReadContainer(*root, stored);
        provider_.close(*root);
    }
    // Every record in the order stored; a container is opened while those before it are read.
    for (std::size_t next = 0; next < stored && stored < kMaxRecords; ++next) {
        while (opening.size() < parallelOpens_ && next + opening.size() < stored) {
            // Copied: reading a container may grow the table under a reference.
            const ResourceRecord record = (*records_)[next + opening.size()];
            const bool container = (record.usage & platform::net::kUsageContainer) != 0;
            opening.push_back(
                container && parallelOpens_ > 1
                    ? std::async(std::launch::async, [this, record] { return OpenRecord(record); })
                    : ready(container ? OpenRecord(record) : std::nullopt));
        }
        std::optional<Handle> handle;
        try {
            handle = opening.front().get();
        } catch (const std::exception&) {
            // An open that failed opened nothing.
        }
        opening.pop_front();
        if (handle) {
            stored = ReadContainer(*handle, stored);
            provider_.close(*handle);
        }
    }
    BuildLists();
}

std::optional<platform::NetworkProvider::Handle>
clsNetwork::OpenRecord(const ResourceRecord& record) {
    const platform::NetResource resource = ToResource(record);
    return provider_.open(platform::net::kScopeGlobalNet, GetResourceType(), kAllUsages, &resource);
}

std::size_t clsNetwork::ReadContainer(platform::NetworkProvider::Handle handle,
                                      std::size_t stored) {
    using namespace platform::net;
    for (int reads = 0; reads < kMaxReadsPerContainer; ++reads) {
        platform::ReadOutcome outcome = provider_.read(handle, kReadBudget);
        if (!outcome.entries.empty()) {
            if (!records_) {
                records_.emplace();
            }
            // The table ends holding exactly this walk's records.
            records_->resize(stored);
            for (const auto& entry : outcome.entries) {
                records_->push_back(ToRecord(entry));
                if (observer_) {
                    observer_(records_->back());
                }
            }
            stored = records_->size();
        }
        // Read on while the provider has more; an entry that can never fit ends the container.
        const bool more = outcome.result == kResultOk ||
                          (outcome.result == kResultMoreData && !outcome.entries.empty());
        if (!more) {
            break;
        }
    }
    return stored;
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
