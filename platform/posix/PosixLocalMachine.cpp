#include "platform/posix/PosixLocalMachine.h"

#include "platform/posix/Interfaces.h"

#include <fstream>

namespace platform::posix {

std::string PosixLocalMachine::localHostName() {
    return HostName();
}

std::string PosixLocalMachine::localIP() {
    std::ifstream routes("/proc/net/route");
    return ChooseLocalIPv4(ReadInterfaces(), routes ? DefaultRouteInterface(routes) : "");
}

} // namespace platform::posix
