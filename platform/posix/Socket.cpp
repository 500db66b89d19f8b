#include "platform/posix/Socket.h"

#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace platform::posix {

std::optional<Socket> OpenMulticastSender(const Ipv4Link& link, unsigned char ttl) {
    Socket sock(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = link.address;
    ip_mreqn outgoing{};
    outgoing.imr_address = link.address;
    outgoing.imr_ifindex = static_cast<int>(if_nametoindex(link.interface.c_str()));
    const unsigned char loop = 0;
    if (sock.fd() < 0 || bind(sock.fd(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        setsockopt(sock.fd(), IPPROTO_IP, IP_MULTICAST_IF, &outgoing, sizeof outgoing) != 0 ||
        setsockopt(sock.fd(), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
        setsockopt(sock.fd(), IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop) != 0) {
        return std::nullopt;
    }
    return sock;
}

std::vector<LinkSocket> OpenMulticastLinks(unsigned char ttl, std::size_t limit) {
    std::vector<LinkSocket> links;
    for (const Ipv4Link& link : LocalLinks(IFF_MULTICAST)) {
        if (links.size() < limit) {
            if (auto sock = OpenMulticastSender(link, ttl)) {
                links.push_back({link, std::move(*sock)});
            }
        }
    }
    return links;
}

} // namespace platform::posix
