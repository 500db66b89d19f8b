#pragma once

#include <unistd.h>

#include <utility>

namespace platform::posix {

// Owns a socket's descriptor and closes it; -1 when there is none.
class Socket {
public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    Socket(Socket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    Socket& operator=(Socket&&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

} // namespace platform::posix
