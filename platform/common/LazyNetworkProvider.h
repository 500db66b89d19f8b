#pragma once

#include "platform/NetworkProvider.h"

#include <functional>

namespace platform {

// A network provider made when it is first used, on the thread that uses it: so that what it
// loads or starts comes after the window is up. It asks its getter for the real provider every
// time; the getter makes it once. Without one, nothing is listed.
class LazyNetworkProvider final : public NetworkProvider {
public:
    explicit LazyNetworkProvider(std::function<NetworkProvider*()> get) : get_(std::move(get)) {}
    // Makes the provider, and prepares it.
    void Prepare() override;
    bool MayListServers(const NetResource& container) override;
    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const NetResource* parent) override;
    ReadOutcome read(Handle handle, std::size_t budget) override;
    void close(Handle handle) override;

private:
    std::function<NetworkProvider*()> get_;
};

} // namespace platform
