#include "neighbourhood/net/Udp.h"

// What the sockets of both systems share.
namespace neighbourhood::net {

std::optional<UdpSocket> UdpSocket::Loopback() {
    return Bound({127, 0, 0, 1});
}

std::vector<LinkSocket> MulticastLinks(unsigned char ttl, std::size_t limit) {
    std::vector<LinkSocket> links;
    for (const Link& link : Links(LinkKind::Multicast, limit)) {
        if (auto sock = UdpSocket::MulticastSender(link, ttl)) {
            links.push_back({link, std::move(*sock)});
        }
    }
    return links;
}

} // namespace neighbourhood::net
