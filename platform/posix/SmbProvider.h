#pragma once

#include "platform/NetworkProvider.h"
#include "platform/SocketLibrary.h"

#include <chrono>
#include <map>

namespace platform::posix {

// The network neighbourhood of SMB on libsmbclient, shaped like a Windows network provider:
// the root holds one network; the network its workgroups; a workgroup its servers ("\\NAME");
// a server its disk and printer shares ("\\NAME\share"). Each open asks the network anew.
class SmbProvider final : public NetworkProvider {
public:
    static constexpr char kNetworkName[] = "SMB Network";
    static constexpr char kProviderName[] = "SMB";

    // The resolver finds a server before its shares are listed, so that a server that is down
    // costs the probe's wait instead of the library's much longer time-outs.
    explicit SmbProvider(SocketLibrary& resolver,
                         std::chrono::milliseconds probeWait = std::chrono::milliseconds(1500))
        : resolver_(resolver), probeWait_(probeWait) {}

    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const NetResource* parent) override;
    ReadOutcome read(Handle handle, std::size_t budget) override;
    void close(Handle handle) override;

private:
    std::optional<std::vector<NetResource>> Shares(const std::string& server, std::int32_t type);
    // The server's address as dotted text when it accepts connections.
    std::optional<std::string> Reachable(const std::string& server);

    SocketLibrary& resolver_;
    std::chrono::milliseconds probeWait_;
    std::map<Handle, EntryCursor> open_;
    Handle nextHandle_ = 1;
};

} // namespace platform::posix
