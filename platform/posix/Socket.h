#pragma once

#include "platform/posix/Interfaces.h"

#include <unistd.h>

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

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

// A non-blocking UDP socket on an ephemeral port of the link's address, whose multicast goes out
// of that link with the TTL given and does not come back to it; nothing when it cannot be made.
// Answers to what it sends come back to it by unicast.
std::optional<Socket> OpenMulticastSender(const Ipv4Link& link, unsigned char ttl);

// A multicast sender and the link it is on: an answer counts only from a peer on that link.
struct LinkSocket {
    Ipv4Link link;
    Socket socket;
};

// A sender on each multicast link that is up, at most `limit` of them.
std::vector<LinkSocket> OpenMulticastLinks(unsigned char ttl, std::size_t limit);

} // namespace platform::posix
