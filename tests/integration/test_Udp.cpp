// What the datagram sockets of discovery must do on every system: the same file runs natively
// on Linux and under Wine on Windows, against the real sockets, over loopback.
#include "neighbourhood/net/Udp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

using namespace std::chrono_literals;
using neighbourhood::net::Link;
using neighbourhood::net::LinkKind;
using neighbourhood::net::UdpSocket;
using neighbourhood::net::WaitReadable;

constexpr platform::Ipv4Address kLoopback{127, 0, 0, 1};

std::string Text(const char* data, std::size_t size) {
    return std::string(data, size);
}

// A datagram is read once, with its sender's address and port; the wait names the socket that
// has one, and only that one; reading does not wait.
TEST(UdpContract, ADatagramReachesTheSocketItWasSentTo) {
    auto sender = UdpSocket::Loopback();
    auto receiver = UdpSocket::Loopback();
    ASSERT_TRUE(sender && receiver);
    ASSERT_NE(sender->port(), 0);
    ASSERT_NE(sender->port(), receiver->port());
    char buffer[64];
    EXPECT_FALSE(receiver->Receive(buffer, sizeof buffer)) << "nothing sent yet";
    EXPECT_EQ(WaitReadable({&*sender, &*receiver}, 0ms), (std::vector<bool>{false, false}));

    ASSERT_TRUE(sender->SendTo(kLoopback, receiver->port(), "probe", 5));
    EXPECT_EQ(WaitReadable({&*sender, &*receiver}, 5000ms), (std::vector<bool>{false, true}));
    const auto got = receiver->Receive(buffer, sizeof buffer);
    ASSERT_TRUE(got);
    EXPECT_EQ(Text(buffer, got->size), "probe");
    EXPECT_EQ(got->from, kLoopback);
    EXPECT_EQ(got->port, sender->port());
    EXPECT_FALSE(receiver->Receive(buffer, sizeof buffer)) << "read once";
}

// Peers may send anything: a datagram too big for the buffer is dropped whole (never read as a
// cut message), an empty one is read as empty, and an unreachable port's echo to an earlier
// send does not end the socket's reading.
TEST(UdpContract, OversizedEmptyAndUnreachableDoNotBreakReading) {
    auto sender = UdpSocket::Loopback();
    auto receiver = UdpSocket::Loopback();
    auto closed = UdpSocket::Loopback();
    ASSERT_TRUE(sender && receiver && closed);
    const std::uint16_t closedPort = closed->port();
    closed.reset();
    ASSERT_TRUE(receiver->SendTo(kLoopback, closedPort, "lost", 4));

    const std::string big(600, 'x');
    ASSERT_TRUE(sender->SendTo(kLoopback, receiver->port(), big.data(), big.size()));
    ASSERT_TRUE(sender->SendTo(kLoopback, receiver->port(), "", 0));
    ASSERT_TRUE(sender->SendTo(kLoopback, receiver->port(), "after", 5));
    char buffer[64];
    std::vector<std::string> read;
    for (int waits = 0; waits < 20 && read.size() < 2; ++waits) {
        WaitReadable({&*receiver}, 250ms);
        while (const auto got = receiver->Receive(buffer, sizeof buffer)) {
            read.push_back(Text(buffer, got->size));
        }
    }
    EXPECT_EQ(read, (std::vector<std::string>{"", "after"}));
}

// A wait with nothing to read ends empty-handed, also with no socket at all.
TEST(UdpContract, AWaitWithNothingToReadEnds) {
    auto quiet = UdpSocket::Loopback();
    ASSERT_TRUE(quiet);
    EXPECT_EQ(WaitReadable({&*quiet}, 20ms), std::vector<bool>{false});
    EXPECT_TRUE(WaitReadable({}, 20ms).empty());
    EXPECT_EQ(WaitReadable({&*quiet}, -5ms), std::vector<bool>{false});
}

// The links are the machine's own addresses, never loopback, each once, with a mask that holds
// the address itself; each takes a multicast sender, and a broadcaster can be made.
TEST(UdpContract, LinksAreTheMachinesOwnNetworks) {
    for (const LinkKind kind : {LinkKind::Multicast, LinkKind::Broadcast}) {
        const std::vector<Link> links = neighbourhood::net::Links(kind, 32);
        for (std::size_t i = 0; i < links.size(); ++i) {
            const Link& link = links[i];
            EXPECT_NE(link.address[0], 127) << link.name;
            EXPECT_TRUE(neighbourhood::net::OnLink(link, link.address)) << link.name;
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_NE(links[j].address, link.address);
            }
            if (kind == LinkKind::Multicast) {
                EXPECT_TRUE(UdpSocket::MulticastSender(link, 1)) << link.name;
            }
        }
        EXPECT_LE(neighbourhood::net::Links(kind, 1).size(), 1U);
    }
    EXPECT_TRUE(UdpSocket::Broadcaster());
}

} // namespace
