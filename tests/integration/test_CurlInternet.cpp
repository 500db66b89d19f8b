#include "netquery/GetSource.h"
#include "platform/posix/CurlInternet.h"
#include "tests/support/InternetContract.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <cstdlib>

using testsupport::LoopbackHttpServer;
using testsupport::SecondsSince;
using testsupport::ShortLimits;
using Clock = std::chrono::steady_clock;

INSTANTIATE_TYPED_TEST_SUITE_P(CurlInternet, InternetContract, platform::posix::CurlInternet);

TEST(CurlInternet, ARedirectIsFollowed) {
    LoopbackHttpServer server;
    server.route(
        "/old/", [](LoopbackHttpServer::Socket socket, const LoopbackHttpServer::Request&) {
            LoopbackHttpServer::Send(socket, "HTTP/1.1 302 Found\r\nLocation: /Velnor/\r\n"
                                             "Content-Length: 0\r\nConnection: close\r\n\r\n");
        });
    server.route("/Velnor/", LoopbackHttpServer::Respond(200, "<b>Your IP: 127.0.0.1</b>"));
    platform::posix::CurlInternet internet;
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/old/")), "<b>Your IP: 127.0.0.1</b>");
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

TEST(CurlInternet, AnEndlessBodyIsCutAtTheCap) {
    LoopbackHttpServer server;
    server.route("/endless/", [&server](LoopbackHttpServer::Socket socket,
                                        const LoopbackHttpServer::Request&) {
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
    const auto start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/endless/")),
              std::string(64 * 1024, 'y'));
    EXPECT_LT(SecondsSince(start), 2.0);
}
