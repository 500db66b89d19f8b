// The entry of the network module: the Internet on libcurl, and the neighbourhood with its name
// lookup.
#include "neighbourhood/Neighbourhood.h"
#include "neighbourhood/smb/SmbModule.h"
#include "platform/posix/CurlInternet.h"
#include "platform/posix/ModuleVersion.h"
#include "platform/posix/NetworkServices.h"

#include <type_traits>

namespace {

class Made final : public platform::posix::NetworkServices {
public:
    platform::Internet& internet() override { return internet_; }
    platform::SocketLibrary& resolver() override { return world_.resolver; }
    platform::NetworkProvider& network() override { return world_.network; }

private:
    platform::posix::CurlInternet internet_;
    neighbourhood::Neighbourhood world_{
        {neighbourhood::kSmbProviderName, neighbourhood::LoadSmbProvider}};
};

} // namespace

extern "C" __attribute__((visibility("default"))) platform::posix::NetworkServices*
velnor_network_services() {
    return new Made;
}

static_assert(
    std::is_same_v<decltype(&velnor_network_services), platform::posix::NetworkModuleEntry>);
