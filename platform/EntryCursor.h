#pragma once

#include "platform/NetworkProvider.h"

#include <cstddef>
#include <vector>

namespace platform {

// The bytes an entry takes in a read's budget.
inline std::size_t PackedSize(const NetResource& entry);

// Hands out a container's entries in reads that fit the budget.
class EntryCursor {
public:
    explicit EntryCursor(std::vector<NetResource> entries) : entries_(std::move(entries)) {}
    ReadOutcome next(std::size_t budget);

private:
    std::vector<NetResource> entries_;
    std::size_t position_ = 0;
};

inline std::size_t PackedSize(const NetResource& entry) {
    std::size_t size = net::kEntrySize;
    for (const auto* text :
         {&entry.localName, &entry.remoteName, &entry.comment, &entry.provider}) {
        if (*text) {
            size += (*text)->size() + 1;
        }
    }
    return size;
}

inline ReadOutcome EntryCursor::next(std::size_t budget) {
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

} // namespace platform
