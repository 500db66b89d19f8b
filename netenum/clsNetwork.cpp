#include "netenum/clsNetwork.h"

namespace {

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
    using platform::net::kScopeGlobalNet;
    using platform::net::kUsageContainer;
    constexpr std::int32_t kAllUsages = 0;

    bool first = true;
    std::size_t next = 0;
    std::size_t stored = 0;
    do {
        std::optional<platform::NetworkProvider::Handle> handle;
        if (first) {
            handle = provider_.open(kScopeGlobalNet, GetResourceType(), kAllUsages, nullptr);
            first = false;
        } else {
            // Copied: reading the container may grow the table under the reference.
            const ResourceRecord parent = (*records_)[next];
            if ((parent.usage & kUsageContainer) != 0) {
                const platform::NetResource resource = ToResource(parent);
                handle = provider_.open(kScopeGlobalNet, GetResourceType(), kAllUsages, &resource);
            }
            ++next;
        }
        if (handle) {
            stored = ReadContainer(*handle, stored);
            provider_.close(*handle);
        }
    } while (next < stored && stored < kMaxRecords);
    BuildLists();
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
