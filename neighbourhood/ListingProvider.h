#pragma once

#include "platform/EntryCursor.h"
#include "platform/NetworkProvider.h"

#include <map>
#include <memory>
#include <mutex>

namespace neighbourhood {

using platform::EntryCursor;
using platform::NetResource;
using platform::ReadOutcome;

// A provider that lists a container whole when it is opened and hands the list out in reads.
// Opens may run on several threads at once; reads and closes come from the walk, in its order.
class ListingProvider : public platform::NetworkProvider {
public:
    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const NetResource* parent) final;
    ReadOutcome read(Handle handle, std::size_t budget) final;
    void close(Handle handle) final;

protected:
    // What the walk opens: the root (no parent) or a container, with the open's settings.
    struct Request {
        std::int32_t scope;
        std::int32_t type;
        std::int32_t usage;
        const NetResource* parent;
    };
    // The entries; nothing when it cannot be opened.
    using Listing = std::optional<std::vector<NetResource>>;
    virtual Listing List(const Request& request) = 0;
    // What a container's listing finally holds, asked before its first read: in walk order,
    // whatever order the opens ran in.
    virtual std::vector<NetResource> Settle(std::vector<NetResource> entries) { return entries; }

private:
    struct Open {
        std::vector<NetResource> listed;
        std::optional<EntryCursor> cursor; // once settled
    };

    std::mutex mutex_;
    std::map<Handle, std::unique_ptr<Open>> open_;
    Handle next_ = 1;
};

} // namespace neighbourhood
