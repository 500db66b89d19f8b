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

} // namespace platform::posix
