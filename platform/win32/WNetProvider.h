#pragma once

#include "platform/NetworkProvider.h"

namespace platform::win32 {

// The network neighbourhood as the multiple-provider router (mpr) shows it.
class WNetProvider final : public NetworkProvider {
public:
    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const NetResource* parent) override;
    ReadOutcome read(Handle handle, std::size_t budget) override;
    void close(Handle handle) override;
};

} // namespace platform::win32
