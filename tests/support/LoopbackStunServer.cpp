#include "tests/support/LoopbackStunServer.h"

#include "tests/support/StunAnswer.h"

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <array>
#include <cstring>

namespace testsupport {

#ifdef _WIN32
using socklen_t = int;
#endif

LoopbackStunServer::LoopbackStunServer(Answer answer)
    : answer_(answer), socket_(BindLoopback(SOCK_DGRAM, port_)),
      other_(BindLoopback(SOCK_DGRAM, otherPort_)), thread_([this] { serve(); }) {}

LoopbackStunServer::~LoopbackStunServer() {
    stopping_ = true;
    thread_.join();
    CloseSocket(socket_);
    CloseSocket(other_);
}

void LoopbackStunServer::serve() {
    while (!stopping_) {
        if (!Readable(socket_, 20)) {
            continue;
        }
        std::array<char, 2048> request{};
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const auto received = recvfrom(socket_, request.data(), static_cast<int>(request.size()), 0,
                                       reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (received < static_cast<int>(Stun::kHeaderSize) || answer_ == Answer::Never) {
            ++requests_;
            continue;
        }
        ++requests_;
        platform::Ipv4Address address{};
        std::memcpy(address.data(), &from.sin_addr, 4);
        const std::string answer = fakes::StunAnswer(
            fakes::IdOf(std::string_view(request.data(), static_cast<std::size_t>(received))),
            {fakes::XorMapped(address, ntohs(from.sin_port)), {0x8022, "velnor test server"}},
            true);
        sendto(answer_ == Answer::FromItsPort ? socket_ : other_, answer.data(),
               static_cast<int>(answer.size()), 0, reinterpret_cast<const sockaddr*>(&from),
               fromSize);
    }
}

} // namespace testsupport
