#include "netquery/GetSource.h"
#include "platform/posix/CurlInternet.h"
#include "tests/support/InternetTesting.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using testsupport::Body;
using testsupport::LoopbackHttpServer;
using testsupport::SecondsSince;
using testsupport::ShortLimits;
using Clock = std::chrono::steady_clock;

TEST(CurlInternet, FetchesExactBodiesWithTheAgentAndAGet) {
    LoopbackHttpServer server;
    for (const std::size_t size : {0u, 256u, 300u}) {
        server.route("/b" + std::to_string(size), LoopbackHttpServer::Respond(200, Body(size)));
    }
    platform::posix::CurlInternet internet;
    for (const std::size_t size : {0u, 256u, 300u}) {
        EXPECT_EQ(GetSource::GetPageText(internet, server.url("/b" + std::to_string(size))),
                  Body(size));
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_NE(request.head.find("\r\nUser-Agent: vb wininet\r\n"), std::string::npos)
            << request.head;
    }
}

TEST(CurlInternet, AnErrorPageIsReturnedAndARedirectFollowed) {
    LoopbackHttpServer server;
    server.route("/missing/", LoopbackHttpServer::Respond(404, "<h1>No such page</h1>"));
    server.route("/old/", [](int socket, const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 302 Found\r\nLocation: /Velnor/\r\n"
                                         "Content-Length: 0\r\nConnection: close\r\n\r\n");
    });
    server.route("/Velnor/", LoopbackHttpServer::Respond(200, "<b>Your IP: 127.0.0.1</b>"));
    platform::posix::CurlInternet internet;
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/missing/")), "<h1>No such page</h1>");
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/old/")), "<b>Your IP: 127.0.0.1</b>");
}

TEST(CurlInternet, ConnectivityFollowsWhetherAnythingListens) {
    LoopbackHttpServer server;
    platform::posix::CurlInternet internet(ShortLimits());
    EXPECT_TRUE(internet.checkConnection(server.url("/Velnor/")));
    const std::string closed =
        "http://127.0.0.1:" + std::to_string(testsupport::ClosedLoopbackPort()) + "/Velnor/";
    const auto start = Clock::now();
    EXPECT_FALSE(internet.checkConnection(closed));
    EXPECT_EQ(GetSource::GetPageText(internet, closed), "");
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(CurlInternet, IgnoresProxiesOfTheEnvironment) {
    LoopbackHttpServer server;
    server.route("/Velnor/", LoopbackHttpServer::Respond(200, "direct"));
    const std::string deadProxy =
        "http://127.0.0.1:" + std::to_string(testsupport::ClosedLoopbackPort());
    for (const char* name : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY"}) {
        setenv(name, deadProxy.c_str(), 1);
    }
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    platform::posix::CurlInternet internet(ShortLimits());
    EXPECT_TRUE(internet.checkConnection(server.url("/Velnor/")));
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/Velnor/")), "direct");
    for (const char* name : {"http_proxy", "HTTPS_PROXY", "ALL_PROXY"}) {
        unsetenv(name);
    }
}

TEST(CurlInternet, AStalledOrTricklingServerIsCutOffKeepingWhatArrived) {
    LoopbackHttpServer server;
    server.route("/stall/", [&server](int socket, const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial");
        while (!server.stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    server.route("/trickle/", [&server](int socket, const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        // One byte every 100 ms: never stalled, never finished.
        for (int i = 0; i < 200 && !server.stopping(); ++i) {
            LoopbackHttpServer::Send(socket, "x");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    platform::posix::CurlInternet internet(ShortLimits());

    auto start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/stall/")), "partial");
    EXPECT_LT(SecondsSince(start), 2.5);

    start = Clock::now();
    const std::string trickled = GetSource::GetPageText(internet, server.url("/trickle/"));
    EXPECT_LT(SecondsSince(start), 4.0);
    EXPECT_GT(trickled.size(), 5u);
    EXPECT_EQ(trickled, std::string(trickled.size(), 'x'));
}

TEST(CurlInternet, AnOversizedBodyIsCutAtTheCap) {
    LoopbackHttpServer server;
    const std::string huge = Body(3 * 1024 * 1024);
    server.route("/huge/", LoopbackHttpServer::Respond(200, huge));
    server.route("/endless/", [&server](int socket, const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
        const std::string block(64 * 1024, 'y');
        // Until the client hangs up; bounded in case it never does.
        for (int i = 0; i < 4096 && !server.stopping(); ++i) {
            if (::send(socket, block.data(), block.size(), MSG_NOSIGNAL) <= 0) {
                break;
            }
        }
    });
    platform::posix::CurlInternet internet(ShortLimits());
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/huge/")), huge.substr(0, 64 * 1024));
    const auto start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/endless/")),
              std::string(64 * 1024, 'y'));
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(CurlInternet, TheDefaultCapIsOneMebibyte) {
    LoopbackHttpServer server;
    const std::string huge = Body(1024 * 1024 + 5000);
    server.route("/big/", LoopbackHttpServer::Respond(200, huge));
    platform::posix::CurlInternet internet;
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/big/")).size(), 1024u * 1024u);
}
