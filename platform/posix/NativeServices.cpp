#include "platform/Services.h"

#include "neighbourhood/Neighbourhood.h"
#include "platform/posix/CurlInternet.h"
#include "platform/posix/PosixComputer.h"
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
    posix::PosixComputer computer;
    neighbourhood::Neighbourhood neighbourhood;
    posix::RegistryStandIn registry{SearchPath()};
    posix::PosixPrograms programs;
    posix::QtShell shell;
};

NativeServices::NativeServices()
    : parts_(std::make_unique<Parts>()),
      services_(std::make_unique<Services>(
          Services{parts_->internet, parts_->metrics, parts_->computer,
                   parts_->neighbourhood.resolver, parts_->neighbourhood.network, parts_->computer,
                   parts_->registry, parts_->programs, parts_->shell})) {}
NativeServices::~NativeServices() = default;

} // namespace platform
