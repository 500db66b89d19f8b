#pragma once

#include "platform/Internet.h"
#include "platform/LocalNames.h"
#include "platform/LocalSocket.h"
#include "platform/NetworkProvider.h"
#include "platform/Programs.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SocketLibrary.h"
#include "platform/SystemMetrics.h"

#include <memory>

namespace platform {

// Every platform service the program uses.
struct Services {
    Internet& internet;
    SystemMetrics& metrics;
    LocalSocket& socket;
    SocketLibrary& sockets;
    NetworkProvider& network;
    LocalNames& localNames;
    Registry& registry;
    Programs& programs;
    Shell& shell;
};

// The real services of the system the program was built for; they live as long as this
// object. Each backend directory defines it.
class NativeServices {
public:
    NativeServices();
    ~NativeServices();
    NativeServices(const NativeServices&) = delete;
    NativeServices& operator=(const NativeServices&) = delete;

    Services get() const;

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

} // namespace platform
