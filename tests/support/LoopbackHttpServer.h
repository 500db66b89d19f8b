#pragma once

#include "tests/support/LoopbackSocket.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// A small HTTP/1.1 server on 127.0.0.1 for the Internet backends' tests. Each connection is
// answered on a thread of its own by the handler of the request's path.
class LoopbackHttpServer {
public:
    using Socket = testsupport::Socket;
    struct Request {
        std::string method;
        std::string path;
        std::string head; // request line and headers
    };
    // Writes the whole answer to the socket; may loop until stopping() is true.
    using Handler = std::function<void(Socket socket, const Request& request)>;

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void route(const std::string& path, Handler handler);
    int port() const { return port_; }
    std::string url(const std::string& path) const;
    std::vector<Request> requests() const;
    bool stopping() const { return stopping_; }

    // Handlers for the usual answers.
    static Handler Respond(int status, std::string body);
    // False once the peer is gone.
    static bool Send(Socket socket, const std::string& bytes);

private:
    void serve();
    void answer(Socket client);

    Socket listener_{};
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, Handler>> routes_;
    std::vector<Request> requests_;
    std::vector<std::thread> connections_;
    std::thread thread_;
};

// A port on 127.0.0.1 on which nothing listens.
int ClosedLoopbackPort();

} // namespace testsupport
