#pragma once

// What every backend of the datagram service must do, against a loopback STUN server:
// instantiate the suite with the backend's class.

#include "logic/internet/ExternalAddress.h"
#include "tests/support/LoopbackStunServer.h"

#include <gtest/gtest.h>

#include <chrono>

// In the global namespace, where the backends instantiate it.
template <typename Backend> class DatagramsContract : public ::testing::Test {
protected:
    static constexpr platform::Ipv4Address kLoopback{127, 0, 0, 1};
    static std::vector<ExternalAddress::StunServer> At(const std::string& host, int port) {
        return {{host, static_cast<std::uint16_t>(port)}};
    }
    // Time enough on a loaded machine; a retransmission after 100 ms.
    const ExternalAddress::Bounds bounds{std::chrono::milliseconds(1500),
                                         std::chrono::milliseconds(100)};
    Backend datagrams;
};

TYPED_TEST_SUITE_P(DatagramsContract);

// The server sees the request come from 127.0.0.1 and says so; by number and by name.
TYPED_TEST_P(DatagramsContract, AskingALoopbackServerGivesTheLoopbackAddress) {
    testsupport::LoopbackStunServer server;
    for (const char* host : {"127.0.0.1", "localhost"}) {
        EXPECT_EQ(
            ExternalAddress::AskStun(this->datagrams, this->At(host, server.port()), this->bounds),
            this->kLoopback)
            << host;
    }
    EXPECT_EQ(server.requests(), 2);
    EXPECT_EQ(this->datagrams.resolve("localhost"),
              std::vector<platform::Ipv4Address>{this->kLoopback});
    EXPECT_EQ(this->datagrams.nameOf(this->kLoopback), "localhost");
}

// A valid answer from a port that was not asked is a stranger's; silence is asked again.
TYPED_TEST_P(DatagramsContract, AnswersFromAPortNotAskedAndSilenceGiveNothing) {
    using Answer = testsupport::LoopbackStunServer::Answer;
    for (const Answer answer : {Answer::FromAnotherPort, Answer::Never}) {
        testsupport::LoopbackStunServer server(answer);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ExternalAddress::AskStun(
                      this->datagrams, this->At("127.0.0.1", server.port()),
                      {std::chrono::milliseconds(400), std::chrono::milliseconds(100)}),
                  std::nullopt);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
        EXPECT_EQ(server.requests(), 3) << "at 0, 100 and 300 ms";
    }
}

REGISTER_TYPED_TEST_SUITE_P(DatagramsContract, AskingALoopbackServerGivesTheLoopbackAddress,
                            AnswersFromAPortNotAskedAndSilenceGiveNothing);
