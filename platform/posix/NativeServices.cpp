#include "platform/Services.h"

#include "platform/posix/CurlInternet.h"
#include "platform/posix/Neighbourhood.h"
#include "platform/posix/PosixLocalNames.h"
#include "platform/posix/PosixLocalSocket.h"
#include "platform/posix/PosixPrograms.h"
#include "platform/posix/PosixSystemMetrics.h"
#include "platform/posix/QtShell.h"
#include "platform/posix/RegistryStandIn.h"

#include <cstdlib>

namespace platform {

namespace {
std::string SearchPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "";
}
} // namespace

struct NativeServices::Parts {
    posix::CurlInternet internet;
    posix::PosixSystemMetrics metrics;
    posix::PosixLocalSocket socket;
    posix::Neighbourhood neighbourhood;
    posix::PosixLocalNames localNames;
    posix::RegistryStandIn registry{SearchPath()};
    posix::PosixPrograms programs;
    posix::QtShell shell;
};

NativeServices::NativeServices() : parts_(std::make_unique<Parts>()) {}
NativeServices::~NativeServices() = default;

Services NativeServices::get() const {
    Parts& p = *parts_;
    return {p.internet,
            p.metrics,
            p.socket,
            p.neighbourhood.sockets,
            p.neighbourhood.network,
            p.localNames,
            p.registry,
            p.programs,
            p.shell};
}

} // namespace platform
