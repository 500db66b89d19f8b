#include "neighbourhood/LazyProvider.h"

#include <exception>

namespace neighbourhood {

platform::NetworkProvider* LazyProvider::Made() {
    std::call_once(once_, [this] {
        try {
            made_ = make_();
        } catch (const std::exception&) {
            // Without it, this network lists nothing.
        }
    });
    return made_.get();
}

void LazyProvider::Prepare() {
    if (platform::NetworkProvider* provider = Made()) {
        provider->Prepare();
    }
}

std::optional<platform::NetworkProvider::Handle>
LazyProvider::open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                   const platform::NetResource* parent) {
    platform::NetworkProvider* provider = Made();
    return provider != nullptr ? provider->open(scope, type, usage, parent) : std::nullopt;
}

platform::ReadOutcome LazyProvider::read(Handle handle, std::size_t budget) {
    platform::NetworkProvider* provider = Made();
    return provider != nullptr ? provider->read(handle, budget)
                               : platform::ReadOutcome{platform::net::kResultInvalidHandle, {}};
}

void LazyProvider::close(Handle handle) {
    if (platform::NetworkProvider* provider = Made()) {
        provider->close(handle);
    }
}

} // namespace neighbourhood
