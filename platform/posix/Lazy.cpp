#include "platform/posix/Lazy.h"

namespace platform::posix {

bool LazyInternet::checkConnection(const std::string& url) {
    Internet* internet = get_();
    return internet != nullptr && internet->checkConnection(url);
}

std::unique_ptr<InternetSession> LazyInternet::open(const std::string& agent) {
    Internet* internet = get_();
    return internet != nullptr ? internet->open(agent) : nullptr;
}

SocketStartup LazySocketLibrary::startup(std::uint16_t requestedVersion) {
    SocketLibrary* library = get_();
    // Nothing to start: every name will simply not resolve.
    return library != nullptr ? library->startup(requestedVersion)
                              : SocketStartup{0, requestedVersion, 1};
}

std::optional<HostEntry> LazySocketLibrary::getHostByName(const std::string& name) {
    SocketLibrary* library = get_();
    return library != nullptr ? library->getHostByName(name) : std::nullopt;
}

int LazySocketLibrary::cleanup() {
    SocketLibrary* library = get_();
    return library != nullptr ? library->cleanup() : 0;
}

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

} // namespace platform::posix
