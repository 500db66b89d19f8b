#include "tests/support/LoopbackHttpServer.h"

#include "tests/support/LoopbackSocket.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace testsupport {

namespace {

using Socket = LoopbackHttpServer::Socket;

#ifdef _WIN32
constexpr int MSG_NOSIGNAL = 0;
Socket Accept(Socket listener) {
    return accept(listener, nullptr, nullptr);
}
#else
Socket Accept(Socket listener) {
    return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
#endif

Socket ListenOnLoopback(int& port) {
    return BindLoopback(SOCK_STREAM, port);
}

// Reads up to the blank line that ends the request head; empty when the client went away.
std::string ReadHead(Socket fd) {
    std::string head;
    char byte = 0;
    while (head.size() < 65536 && head.find("\r\n\r\n") == std::string::npos) {
        if (!Readable(fd, 5000) || recv(fd, &byte, 1, 0) != 1) {
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
    CloseSocket(listener_);
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
        if (!Readable(listener_, 20)) {
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
        CloseSocket(client);
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
    CloseSocket(client);
}

int ClosedLoopbackPort() {
    int port = 0;
    const Socket fd = ListenOnLoopback(port);
    CloseSocket(fd);
    return port;
}

} // namespace testsupport
