#pragma once

#include "platform/NetworkProvider.h"

#include <functional>
#include <memory>
#include <mutex>

namespace neighbourhood {

// A network provider made when it is first needed, on the thread that needs it: the SMB provider
// comes from a module that links libsmbclient, so that the program starts and paints its window
// without that library and its many dependencies. A provider that cannot be made lists nothing.
class LazyProvider final : public platform::NetworkProvider {
public:
    using Make = std::function<std::unique_ptr<platform::NetworkProvider>()>;

    explicit LazyProvider(Make make) : make_(std::move(make)) {}

    // Makes the provider, and prepares it.
    void Prepare() override;
    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const platform::NetResource* parent) override;
    platform::ReadOutcome read(Handle handle, std::size_t budget) override;
    void close(Handle handle) override;

private:
    platform::NetworkProvider* Made();

    Make make_;
    std::once_flag once_;
    std::unique_ptr<platform::NetworkProvider> made_;
};

} // namespace neighbourhood
