#include "neighbourhood/smb/TcpProbe.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace neighbourhood {

bool CanConnect(const std::vector<std::uint8_t>& address,
                std::initializer_list<std::uint16_t> ports, std::chrono::milliseconds wait) {
    if (address.size() != 4) {
        return false;
    }
    std::vector<pollfd> pending;
    bool connected = false;
    for (const std::uint16_t port : ports) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            continue;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        std::memcpy(&to.sin_addr, address.data(), 4);
        if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
            connected = true;
        }
        if (connected || errno != EINPROGRESS) {
            close(fd);
            if (connected) {
                break;
            }
            continue;
        }
        pending.push_back({fd, POLLOUT, 0});
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + wait;
    while (!connected && !pending.empty()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 ||
            poll(pending.data(), pending.size(), static_cast<int>(left.count())) <= 0) {
            break;
        }
        for (auto it = pending.begin(); it != pending.end();) {
            if (it->revents == 0) {
                ++it;
                continue;
            }
            int error = 0;
            socklen_t length = sizeof error;
            getsockopt(it->fd, SOL_SOCKET, SO_ERROR, &error, &length);
            connected = connected || error == 0;
            close(it->fd);
            it = pending.erase(it);
        }
    }
    for (const pollfd& open : pending) {
        close(open.fd);
    }
    return connected;
}

} // namespace neighbourhood
