#include "platform/Services.h"

#include "platform/posix/NetworkModule.h"
#include "platform/posix/PosixComputer.h"
#include "platform/posix/PosixDatagrams.h"
#include "platform/posix/PosixFiles.h"
#include "platform/posix/PosixPrograms.h"
#include "platform/posix/PosixSystemMetrics.h"
#include "platform/posix/QtShell.h"
#include "platform/posix/RegionalClock.h"
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
    posix::PosixSystemMetrics metrics;
    posix::PosixComputer computer;
    posix::PosixDatagrams datagrams;
    posix::RegistryStandIn registry{SearchPath()};
    posix::PosixPrograms programs;
    posix::QtShell shell;
    posix::RegionalClock clock;
    posix::PosixFiles files;
    posix::NetworkModule network;
};

NativeServices::NativeServices()
    : parts_(std::make_unique<Parts>()),
      services_(std::make_unique<Services>(Services{
          parts_->network.internet(), parts_->datagrams, parts_->metrics, parts_->computer,
          parts_->network.resolver(), parts_->network.network(), parts_->computer, parts_->registry,
          parts_->programs, parts_->shell, parts_->clock, parts_->files})) {}
NativeServices::~NativeServices() = default;

} // namespace platform
