#include "platform/win32/WinsockLibrary.h"

#include <windows.h>

#include <winsock.h>

namespace platform::win32 {

SocketStartup WinsockLibrary::startup(std::uint16_t requestedVersion) {
    WSADATA data{};
    SocketStartup agreed;
    agreed.result = WSAStartup(requestedVersion, &data);
    if (agreed.result == 0) {
        agreed.version = data.wVersion;
        agreed.maxSockets = static_cast<std::int16_t>(data.iMaxSockets);
    }
    return agreed;
}

std::optional<HostEntry> WinsockLibrary::getHostByName(const std::string& name) {
    const hostent* host = gethostbyname(name.c_str());
    if (host == nullptr) {
        return std::nullopt;
    }
    // Copied at once: the entry belongs to the library and the next call reuses it.
    HostEntry entry;
    entry.addressLength = host->h_length;
    const std::size_t length = host->h_length > 0 ? static_cast<std::size_t>(host->h_length) : 0;
    for (char** address = host->h_addr_list; address != nullptr && *address != nullptr; ++address) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(*address);
        entry.addresses.emplace_back(bytes, bytes + length);
    }
    return entry;
}

int WinsockLibrary::cleanup() {
    return WSACleanup();
}

} // namespace platform::win32
