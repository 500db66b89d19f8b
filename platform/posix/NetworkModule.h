#pragma once

#include "platform/common/LazyNetworkProvider.h"
#include "platform/posix/Lazy.h"
#include "platform/posix/NetworkServices.h"

#include <memory>
#include <mutex>

namespace platform::posix {

// The network module's services, loaded when one of them is first used: libcurl and its two
// dozen libraries (which also run code of their own as they load) come after the window is up.
class NetworkModule {
public:
    NetworkModule();
    Internet& internet() { return internet_; }
    SocketLibrary& resolver() { return resolver_; }
    NetworkProvider& network() { return network_; }

private:
    NetworkServices* Loaded();

    std::once_flag once_;
    std::unique_ptr<NetworkServices> loaded_;
    LazyInternet internet_;
    LazySocketLibrary resolver_;
    LazyNetworkProvider network_;
};

} // namespace platform::posix
