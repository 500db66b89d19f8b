#include "platform/posix/PosixLocalSocket.h"

#include "platform/posix/Interfaces.h"

#include <unistd.h>

#include <climits>
#include <fstream>

namespace platform::posix {

std::string PosixLocalSocket::localHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

std::string PosixLocalSocket::localIP() {
    std::ifstream routes("/proc/net/route");
    return ChooseLocalIPv4(ReadInterfaces(), routes ? DefaultRouteInterface(routes) : "");
}

} // namespace platform::posix
