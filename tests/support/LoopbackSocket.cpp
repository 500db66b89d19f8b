#include "tests/support/LoopbackSocket.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <stdexcept>

namespace testsupport {

namespace {

#ifdef _WIN32
using socklen_t = int;
constexpr int kSocketFlags = 0;
// Winsock is started once for the whole test process.
void StartWinsock() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) {
        throw std::runtime_error("WSAStartup");
    }
}
#else
constexpr int kSocketFlags = SOCK_CLOEXEC;
void StartWinsock() {}
#endif

} // namespace

bool Invalid(Socket socket) {
#ifdef _WIN32
    return socket == INVALID_SOCKET;
#else
    return socket < 0;
#endif
}

Socket BindLoopback(int type, int& port) {
    StartWinsock();
    const Socket fd = socket(AF_INET, type | kSocketFlags, 0);
    if (Invalid(fd)) {
        throw std::runtime_error("socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        (type == SOCK_STREAM && listen(fd, 16) != 0)) {
        CloseSocket(fd);
        throw std::runtime_error("bind/listen on loopback");
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

void CloseSocket(Socket socket) {
#ifdef _WIN32
    closesocket(socket);
#else
    close(socket);
#endif
}

bool Readable(Socket socket, int milliseconds) {
    pollfd poller{socket, POLLIN, 0};
#ifdef _WIN32
    return WSAPoll(&poller, 1, milliseconds) > 0;
#else
    return poll(&poller, 1, milliseconds) > 0;
#endif
}

} // namespace testsupport
