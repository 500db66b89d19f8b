#pragma once

#include "platform/Clock.h"
#include "platform/Datagrams.h"
#include "platform/Files.h"
#include "platform/Internet.h"
#include "platform/LocalMachine.h"
#include "platform/LocalNames.h"
#include "platform/NetworkProvider.h"
#include "platform/Programs.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SocketLibrary.h"
#include "platform/SystemMetrics.h"

#include <memory>

namespace platform {

// Every platform service the program uses. The logic holds it by reference; whoever made it
// keeps the services alive.
struct Services {
    Internet& internet;
    // UDP, and what the system resolver tells about Internet hosts.
    Datagrams& datagrams;
    SystemMetrics& metrics;
    // This computer's own name and address.
    LocalMachine& localMachine;
    // The socket library, which turns the names of other computers into addresses.
    SocketLibrary& resolver;
    NetworkProvider& network;
    LocalNames& localNames;
    Registry& registry;
    Programs& programs;
    Shell& shell;
    // The report's date and time, and the file it is saved to.
    Clock& clock;
    Files& files;
};

// The real services of the system the program was built for; they live as long as this
// object. Each backend directory defines it.
class NativeServices {
public:
    NativeServices();
    ~NativeServices();
    NativeServices(const NativeServices&) = delete;
    NativeServices& operator=(const NativeServices&) = delete;

    const Services& services() const { return *services_; }

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    std::unique_ptr<Services> services_;
};

} // namespace platform
