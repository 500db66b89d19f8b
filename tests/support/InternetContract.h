#pragma once

// What every backend of the Internet library must do, against a loopback server: instantiate
// the suite with the backend's class.

#include "logic/internet/GetSource.h"
#include "tests/support/InternetTesting.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

// In the global namespace, where the backends instantiate it.
template <typename Backend> class InternetContract : public ::testing::Test {
protected:
    using Clock = std::chrono::steady_clock;

    static std::string ClosedUrl() {
        return "http://127.0.0.1:" + std::to_string(testsupport::ClosedLoopbackPort()) + "/Velnor/";
    }

    testsupport::LoopbackHttpServer server;
};

TYPED_TEST_SUITE_P(InternetContract);

TYPED_TEST_P(InternetContract, FetchesExactBodiesWithTheAgentAndAGet) {
    for (const std::size_t size : {0u, 256u, 300u}) {
        this->server.route("/b" + std::to_string(size),
                           testsupport::LoopbackHttpServer::Respond(200, testsupport::Body(size)));
    }
    TypeParam internet;
    for (const std::size_t size : {0u, 256u, 300u}) {
        EXPECT_EQ(GetSource::GetPageText(internet, this->server.url("/b" + std::to_string(size))),
                  testsupport::Body(size));
    }
    const auto requests = this->server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_NE(request.head.find("\r\nUser-Agent: vb wininet\r\n"), std::string::npos)
            << request.head;
    }
}

TYPED_TEST_P(InternetContract, AnErrorPageIsReturnedAndAClosedPortGivesNothing) {
    this->server.route("/missing/",
                       testsupport::LoopbackHttpServer::Respond(404, "<h1>No such page</h1>"));
    TypeParam internet(testsupport::ShortLimits());
    EXPECT_TRUE(GetSource::CheckConnection(internet, this->server.url("/Velnor/")));
    EXPECT_EQ(GetSource::GetPageText(internet, this->server.url("/missing/")),
              "<h1>No such page</h1>");
    const auto start = TestFixture::Clock::now();
    EXPECT_FALSE(GetSource::CheckConnection(internet, TestFixture::ClosedUrl()));
    EXPECT_EQ(GetSource::GetPageText(internet, TestFixture::ClosedUrl()), "");
    EXPECT_LT(testsupport::SecondsSince(start), 2.5);
}

TYPED_TEST_P(InternetContract, AStalledOrTricklingServerIsCutOffKeepingWhatArrived) {
    this->server.route("/stall/", [this](testsupport::LoopbackHttpServer::Socket socket,
                                         const testsupport::LoopbackHttpServer::Request&) {
        testsupport::LoopbackHttpServer::Send(
            socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial");
        while (!this->server.stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    this->server.route("/trickle/", [this](testsupport::LoopbackHttpServer::Socket socket,
                                           const testsupport::LoopbackHttpServer::Request&) {
        testsupport::LoopbackHttpServer::Send(socket,
                                              "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        // One byte every 100 ms: never stalled, never finished.
        for (int i = 0; i < 200 && !this->server.stopping(); ++i) {
            testsupport::LoopbackHttpServer::Send(socket, "x");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    TypeParam internet(testsupport::ShortLimits());

    auto start = TestFixture::Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, this->server.url("/stall/")), "partial");
    EXPECT_LT(testsupport::SecondsSince(start), 2.5);

    start = TestFixture::Clock::now();
    const std::string trickled = GetSource::GetPageText(internet, this->server.url("/trickle/"));
    EXPECT_LT(testsupport::SecondsSince(start), 4.0);
    EXPECT_GT(trickled.size(), 5u);
    EXPECT_EQ(trickled, std::string(trickled.size(), 'x'));
}

TYPED_TEST_P(InternetContract, AnOversizedBodyIsCutAtTheCapOfOneMebibyteByDefault) {
    const std::string huge = testsupport::Body(1024 * 1024 + 5000);
    this->server.route("/huge/", testsupport::LoopbackHttpServer::Respond(200, huge));
    TypeParam limited(testsupport::ShortLimits());
    EXPECT_EQ(GetSource::GetPageText(limited, this->server.url("/huge/")),
              huge.substr(0, 64 * 1024));
    TypeParam internet;
    EXPECT_EQ(GetSource::GetPageText(internet, this->server.url("/huge/")),
              huge.substr(0, 1024 * 1024));
}

REGISTER_TYPED_TEST_SUITE_P(InternetContract, FetchesExactBodiesWithTheAgentAndAGet,
                            AnErrorPageIsReturnedAndAClosedPortGivesNothing,
                            AStalledOrTricklingServerIsCutOffKeepingWhatArrived,
                            AnOversizedBodyIsCutAtTheCapOfOneMebibyteByDefault);
