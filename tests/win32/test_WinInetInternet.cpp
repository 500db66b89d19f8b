#include "netquery/GetSource.h"
#include "platform/win32/WinInetInternet.h"
#include "tests/support/InternetTesting.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using testsupport::Body;
using testsupport::LoopbackHttpServer;
using testsupport::SecondsSince;
using testsupport::ShortLimits;
using Clock = std::chrono::steady_clock;

namespace {

std::string ClosedUrl() {
    return "http://127.0.0.1:" + std::to_string(testsupport::ClosedLoopbackPort()) + "/Velnor/";
}

} // namespace

TEST(WinInetInternet, FetchesExactBodiesWithTheAgentAndAGet) {
    LoopbackHttpServer server;
    for (const std::size_t size : {0u, 256u, 300u}) {
        server.route("/b" + std::to_string(size), LoopbackHttpServer::Respond(200, Body(size)));
    }
    platform::win32::WinInetInternet internet;
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

TEST(WinInetInternet, AnErrorPageIsReturnedAndAClosedPortGivesNothing) {
    LoopbackHttpServer server;
    server.route("/missing/", LoopbackHttpServer::Respond(404, "<h1>No such page</h1>"));
    platform::win32::WinInetInternet internet(ShortLimits());
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/missing/")), "<h1>No such page</h1>");
    const auto start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, ClosedUrl()), "");
    EXPECT_LT(SecondsSince(start), 2.5);
}

TEST(WinInetInternet, ConnectivityFollowsWhetherAnythingListens) {
    LoopbackHttpServer server;
    platform::win32::WinInetInternet internet(ShortLimits());
    EXPECT_TRUE(GetSource::CheckConnection(internet, server.url("/Velnor/")));
    EXPECT_FALSE(GetSource::CheckConnection(internet, ClosedUrl()));
}

TEST(WinInetInternet, OnlyWebAddressesAreOpened) {
    LoopbackHttpServer server;
    platform::win32::WinInetInternet internet(ShortLimits());
    const std::string hostPort = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_FALSE(internet.checkConnection("ftp://" + hostPort + "/"));
    EXPECT_EQ(GetSource::GetPageText(internet, "ftp://" + hostPort + "/Velnor/"), "");
    EXPECT_EQ(GetSource::GetPageText(internet, "file:///C:/windows/win.ini"), "");
    EXPECT_TRUE(server.requests().empty());
}

TEST(WinInetInternet, AnOversizedOrStalledBodyIsCutKeepingWhatArrived) {
    LoopbackHttpServer server;
    const std::string huge = Body(3 * 64 * 1024);
    server.route("/huge/", LoopbackHttpServer::Respond(200, huge));
    server.route("/stall/", [&server](LoopbackHttpServer::Socket socket,
                                      const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial");
        while (!server.stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    server.route("/silent/",
                 [&server](LoopbackHttpServer::Socket, const LoopbackHttpServer::Request&) {
                     while (!server.stopping()) {
                         std::this_thread::sleep_for(std::chrono::milliseconds(10));
                     }
                 });
    server.route("/trickle/", [&server](LoopbackHttpServer::Socket socket,
                                        const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        // One byte every 100 ms: never stalled, never finished.
        for (int i = 0; i < 200 && !server.stopping(); ++i) {
            LoopbackHttpServer::Send(socket, "x");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    platform::win32::WinInetInternet internet(ShortLimits());
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/huge/")), huge.substr(0, 64 * 1024));

    auto start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/stall/")), "partial");
    EXPECT_LT(SecondsSince(start), 2.5);

    start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/silent/")), "");
    EXPECT_LT(SecondsSince(start), 4.5);

    start = Clock::now();
    const std::string trickled = GetSource::GetPageText(internet, server.url("/trickle/"));
    EXPECT_LT(SecondsSince(start), 4.0);
    EXPECT_GT(trickled.size(), 5u);
    EXPECT_EQ(trickled, std::string(trickled.size(), 'x'));
}

TEST(WinInetInternet, TheDefaultCapIsOneMebibyte) {
    LoopbackHttpServer server;
    const std::string huge = Body(1024 * 1024 + 5000);
    server.route("/big/", LoopbackHttpServer::Respond(200, huge));
    platform::win32::WinInetInternet internet;
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/big/")), huge.substr(0, 1024 * 1024));
}
