#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What the socket library's start-up agreed to.
struct SocketStartup {
    int result = 0;              // 0 on success
    std::uint16_t version = 0;   // low byte major, high byte minor
    std::int16_t maxSockets = 0; // sockets the library supports
};

// A host entry: the length of one address and the host's addresses in network byte order.
struct HostEntry {
    std::int16_t addressLength = 0;
    std::vector<std::vector<std::uint8_t>> addresses;
};

class SocketLibrary {
public:
    virtual ~SocketLibrary() = default;
    virtual SocketStartup startup(std::uint16_t requestedVersion) = 0;
    // Nothing when the name does not resolve.
    virtual std::optional<HostEntry> getHostByName(const std::string& name) = 0;
    // 0 on success.
    virtual int cleanup() = 0;
};

} // namespace platform
