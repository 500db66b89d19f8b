#pragma once

#include "neighbourhood/ListingProvider.h"
#include "platform/SocketLibrary.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

struct _SMBCCTX;

namespace neighbourhood {

using platform::NetResource;

// The network neighbourhood of SMB on libsmbclient, shaped like a Windows network provider:
// the root holds one network; the network its workgroups; a workgroup its servers ("\\NAME");
// a server its disk and printer shares ("\\NAME\share"). Each open asks the network anew.
class SmbProvider final : public ListingProvider {
public:
    static constexpr char kNetworkName[] = "SMB Network";
    static constexpr char kProviderName[] = "SMB";
    // A workgroup's or server's name is 15 bytes of the peer's code page: in UTF-8, at most
    // three times that.
    static constexpr std::size_t kMaxNetbiosNameBytes = 45;

    // The library's URL of a workgroup or server: every byte but letters, digits and "-._~"
    // escaped, so that no name can point the listing elsewhere.
    static std::string Url(std::string_view host);

    // The resolver finds a server before its shares are listed, so that a server that is down
    // costs the probe's wait instead of the library's much longer time-outs.
    struct ContextDeleter {
        void operator()(_SMBCCTX* context) const;
    };
    using Context = std::unique_ptr<_SMBCCTX, ContextDeleter>;

    explicit SmbProvider(platform::SocketLibrary& resolver,
                         std::chrono::milliseconds probeWait = std::chrono::milliseconds(1500))
        : resolver_(resolver), probeWait_(probeWait) {}

    // Starts the library, off the thread that will walk.
    void Prepare() override;
    // Only a workgroup lists servers: the network lists workgroups, a server its shares.
    bool MayListServers(const NetResource& container) override;

private:
    Listing List(const Request& request) override;
    std::optional<std::vector<NetResource>> Shares(const std::string& server, std::int32_t type);
    // The library's context, made at first use; null when the library cannot start. Holds
    // library_.
    _SMBCCTX* Library();
    // The server's address as dotted text when it accepts connections.
    std::optional<std::string> Reachable(const std::string& server);

    platform::SocketLibrary& resolver_;
    std::chrono::milliseconds probeWait_;
    // The library is called by one thread at a time: its protocol range is a setting of the
    // whole process. Probes, where a walk waits for servers that are down, run outside.
    std::mutex library_;
    // One for the provider's life (each costs the library memory it never gives back),
    // emptied of cached servers when a walk begins.
    Context context_;
};

} // namespace neighbourhood
