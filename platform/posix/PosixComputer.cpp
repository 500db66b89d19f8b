#include "platform/posix/PosixComputer.h"

#include "platform/posix/Interfaces.h"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <vector>

namespace platform::posix {

std::string PosixComputer::localHostName() {
    return HostName();
}

std::string PosixComputer::localIP() {
    std::ifstream routes("/proc/net/route");
    return ChooseLocalIPv4(ReadInterfaces(), routes ? DefaultRouteInterface(routes) : "");
}

std::string PosixComputer::userName() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr) {
        return {};
    }
    return found->pw_name;
}

std::string PosixComputer::computerName() {
    std::string computer = HostName();
    computer = computer.substr(0, computer.find('.'));
    for (char& c : computer) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return computer;
}

} // namespace platform::posix
