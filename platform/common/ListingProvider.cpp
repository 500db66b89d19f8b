#include "platform/common/ListingProvider.h"

namespace platform {

std::size_t PackedSize(const NetResource& entry) {
    std::size_t size = net::kEntrySize;
    for (const auto* text :
         {&entry.localName, &entry.remoteName, &entry.comment, &entry.provider}) {
        if (*text) {
            size += (*text)->size() + 1;
        }
    }
    return size;
}

ReadOutcome EntryCursor::next(std::size_t budget) {
    ReadOutcome outcome;
    if (position_ >= entries_.size()) {
        outcome.result = net::kResultNoMoreItems;
        return outcome;
    }
    std::size_t used = 0;
    while (position_ < entries_.size() && used + PackedSize(entries_[position_]) <= budget) {
        used += PackedSize(entries_[position_]);
        outcome.entries.push_back(entries_[position_]);
        ++position_;
    }
    outcome.result = outcome.entries.empty() ? net::kResultMoreData : net::kResultOk;
    return outcome;
}

std::optional<NetworkProvider::Handle> ListingProvider::open(std::int32_t scope, std::int32_t type,
                                                             std::int32_t usage,
                                                             const NetResource* parent) {
    auto entries = List({scope, type, usage, parent});
    if (!entries) {
        return std::nullopt;
    }
    auto open = std::make_unique<Open>();
    open->listed = std::move(*entries);
    const std::lock_guard lock(mutex_);
    const Handle handle = next_++;
    open_.emplace(handle, std::move(open));
    return handle;
}

ReadOutcome ListingProvider::read(Handle handle, std::size_t budget) {
    Open* open = nullptr;
    {
        const std::lock_guard lock(mutex_);
        const auto it = open_.find(handle);
        if (it == open_.end()) {
            return {net::kResultInvalidHandle, {}};
        }
        open = it->second.get();
    }
    // Only the walk reads and closes this handle, so its entry stays while it is used here.
    if (!open->cursor) {
        open->cursor.emplace(Settle(std::move(open->listed)));
    }
    return open->cursor->next(budget);
}

void ListingProvider::close(Handle handle) {
    const std::lock_guard lock(mutex_);
    open_.erase(handle);
}

} // namespace platform
