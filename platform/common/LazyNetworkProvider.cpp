#include "platform/common/LazyNetworkProvider.h"

namespace platform {

void LazyNetworkProvider::Prepare() {
    if (NetworkProvider* provider = get_()) {
        provider->Prepare();
    }
}

bool LazyNetworkProvider::MayListServers(const NetResource& container) {
    NetworkProvider* provider = get_();
    return provider == nullptr || provider->MayListServers(container);
}

std::optional<NetworkProvider::Handle> LazyNetworkProvider::open(std::int32_t scope,
                                                                 std::int32_t type,
                                                                 std::int32_t usage,
                                                                 const NetResource* parent) {
    NetworkProvider* provider = get_();
    return provider != nullptr ? provider->open(scope, type, usage, parent) : std::nullopt;
}

ReadOutcome LazyNetworkProvider::read(Handle handle, std::size_t budget) {
    NetworkProvider* provider = get_();
    return provider != nullptr ? provider->read(handle, budget)
                               : ReadOutcome{net::kResultInvalidHandle, {}};
}

void LazyNetworkProvider::close(Handle handle) {
    if (NetworkProvider* provider = get_()) {
        provider->close(handle);
    }
}

} // namespace platform
