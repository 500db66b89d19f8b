#include "platform/posix/PosixLocalSocket.h"

#include "platform/posix/Interfaces.h"

#include <fstream>

namespace platform::posix {

std::string PosixLocalSocket::localHostName() {
    return HostName();
}

std::string PosixLocalSocket::localIP() {
    std::ifstream routes("/proc/net/route");
    return ChooseLocalIPv4(ReadInterfaces(), routes ? DefaultRouteInterface(routes) : "");
}

} // namespace platform::posix
