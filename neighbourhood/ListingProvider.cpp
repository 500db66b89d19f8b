#include "neighbourhood/ListingProvider.h"

namespace neighbourhood {

namespace net = platform::net;

std::optional<platform::NetworkProvider::Handle> ListingProvider::open(std::int32_t scope,
                                                                       std::int32_t type,
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

} // namespace neighbourhood
