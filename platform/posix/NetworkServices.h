#pragma once

#include "platform/Internet.h"
#include "platform/NetworkProvider.h"
#include "platform/SocketLibrary.h"

namespace platform::posix {

// The services that need libcurl and the neighbourhood's libraries: made by the network module,
// which the program loads once its window is up.
class NetworkServices {
public:
    virtual ~NetworkServices() = default;
    virtual Internet& internet() = 0;
    virtual SocketLibrary& resolver() = 0;
    virtual NetworkProvider& network() = 0;
};

inline constexpr char kNetworkModule[] = "velnor-network.so";
inline constexpr char kNetworkModuleEntry[] = "velnor_network_services";
// New services, owned by the caller.
using NetworkModuleEntry = NetworkServices* (*)();

} // namespace platform::posix
