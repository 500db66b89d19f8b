#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// One resource of the network neighbourhood, as the network provider describes it.
struct NetResource {
    std::int32_t scope = 0;
    std::int32_t type = 0;
    std::int32_t displayType = 0;
    std::int32_t usage = 0;
    std::optional<std::string> localName;
    std::optional<std::string> remoteName;
    std::optional<std::string> comment;
    std::optional<std::string> provider;
};

namespace net {
inline constexpr std::int32_t kScopeGlobalNet = 0x2;
inline constexpr std::int32_t kTypeAny = 0x0;
inline constexpr std::int32_t kTypeDisk = 0x1;
inline constexpr std::int32_t kTypePrint = 0x2;
inline constexpr std::int32_t kUsageConnectable = 0x1;
inline constexpr std::int32_t kUsageContainer = 0x2;
inline constexpr std::int32_t kDisplayGeneric = 0x0;
inline constexpr std::int32_t kDisplayDomain = 0x1;
inline constexpr std::int32_t kDisplayServer = 0x2;
inline constexpr std::int32_t kDisplayShare = 0x3;
inline constexpr std::int32_t kDisplayNetwork = 0x6;
inline constexpr std::int32_t kDisplayShareAdmin = 0x8;

inline constexpr int kResultOk = 0;
inline constexpr int kResultInvalidHandle = 6;
inline constexpr int kResultMoreData = 234;
inline constexpr int kResultNoMoreItems = 259;

// What a raw entry of a read takes in the budget besides its strings.
inline constexpr std::size_t kEntrySize = 32;
} // namespace net

struct ReadOutcome {
    int result = net::kResultNoMoreItems;
    std::vector<NetResource> entries;
};

// Walks the neighbourhood one container at a time: open the root (no parent) or a container
// record, read it in pieces that fit a byte budget, close it. Containers may be opened from
// several threads at once; a walk reads them one at a time, in walk order.
class NetworkProvider {
public:
    using Handle = std::uint64_t;
    virtual ~NetworkProvider() = default;
    // A walk comes soon: start now what takes long (listening for computers that announce
    // themselves), so that it overlaps what the caller does before. Calling it is optional.
    virtual void Prepare() {}
    // False when the container's entries are sure to hold no server, so that a walk may read the
    // containers after it first while it waits; true when the provider cannot tell.
    virtual bool MayListServers(const NetResource& container) {
        static_cast<void>(container);
        return true;
    }
    virtual std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                                       const NetResource* parent) = 0;
    // Entries that fit the budget as records plus their NUL-terminated strings. kResultOk with
    // entries while more follow, kResultNoMoreItems at the end, kResultMoreData when the next
    // entry alone does not fit, anything else on failure.
    virtual ReadOutcome read(Handle handle, std::size_t budget) = 0;
    virtual void close(Handle handle) = 0;
};

} // namespace platform
