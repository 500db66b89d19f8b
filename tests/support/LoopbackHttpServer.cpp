#include "tests/support/LoopbackHttpServer.h"

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

using Socket = LoopbackHttpServer::Socket;

#ifdef _WIN32
using socklen_t = int;
constexpr int MSG_NOSIGNAL = 0;
constexpr int kSocketFlags = 0;
int poll(pollfd* fds, unsigned long count, int timeout) {
    return WSAPoll(fds, count, timeout);
}
void close(Socket fd) {
    closesocket(fd);
}
Socket Accept(Socket listener) {
    return accept(listener, nullptr, nullptr);
}
bool Invalid(Socket fd) {
    return fd == INVALID_SOCKET;
}
// Winsock is started once for the server's whole process.
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
Socket Accept(Socket listener) {
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
bool Invalid(Socket fd) {
    return fd < 0;
}
void StartWinsock() {}
#endif

Socket ListenOnLoopback(int& port) {
    StartWinsock();
    // An ephemeral port: nothing else listens there.
    const Socket fd = socket(AF_INET, SOCK_STREAM | kSocketFlags, 0);
    if (Invalid(fd)) {
        throw std::runtime_error("socket");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 16) != 0) {
        close(fd);
        throw std::runtime_error("bind/listen on loopback");
    }
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

// Reads up to the blank line that ends the request head; empty when the client went away.
std::string ReadHead(Socket fd) {
    std::string head;
    char byte = 0;
    while (head.size() < 65536 && head.find("\r\n\r\n") == std::string::npos) {
        pollfd poller{fd, POLLIN, 0};
        if (poll(&poller, 1, 5000) <= 0 || recv(fd, &byte, 1, 0) != 1) {
            return {};
        }
        head += byte;
    }
    return head;
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer() {
    listener_ = ListenOnLoopback(port_);
    thread_ = std::thread([this] { serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stopping_ = true;
    thread_.join();
    close(listener_);
}

void LoopbackHttpServer::route(const std::string& path, Handler handler) {
    std::lock_guard lock(mutex_);
    routes_.emplace_back(path, std::move(handler));
}

std::string LoopbackHttpServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool LoopbackHttpServer::Send(Socket socket, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const auto n = ::send(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent),
                              MSG_NOSIGNAL);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

LoopbackHttpServer::Handler LoopbackHttpServer::Respond(int status, std::string body) {
    return [status, body = std::move(body)](Socket socket, const Request&) {
        Send(socket, "HTTP/1.1 " + std::to_string(status) +
                         " Status\r\nContent-Type: text/html\r\n" + "Content-Length: " +
                         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    };
}

void LoopbackHttpServer::serve() {
    while (!stopping_) {
        pollfd poller{listener_, POLLIN, 0};
        if (poll(&poller, 1, 20) <= 0) {
            continue;
        }
        const Socket client = Accept(listener_);
        if (!Invalid(client)) {
            connections_.emplace_back([this, client] { answer(client); });
        }
    }
    for (std::thread& connection : connections_) {
        connection.join();
    }
}

void LoopbackHttpServer::answer(Socket client) {
    const std::string head = ReadHead(client);
    if (head.empty()) {
        close(client);
        return;
    }
    Request request;
    request.head = head;
    const auto firstSpace = head.find(' ');
    const auto secondSpace = head.find(' ', firstSpace + 1);
    if (firstSpace != std::string::npos && secondSpace != std::string::npos) {
        request.method = head.substr(0, firstSpace);
        request.path = head.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    }
    Handler handler = Respond(404, "<html>Not Found</html>");
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        for (const auto& [path, routed] : routes_) {
            if (path == request.path) {
                handler = routed;
            }
        }
    }
    handler(client, request);
    close(client);
}

int ClosedLoopbackPort() {
    int port = 0;
    const Socket fd = ListenOnLoopback(port);
    close(fd);
    return port;
}

} // namespace testsupport
