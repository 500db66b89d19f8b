#include "logic/internet/GetSource.h"
#include "platform/win32/WinInetInternet.h"
#include "tests/support/InternetContract.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

// The loopback server, the short limits and the clock of the Internet's tests.
using namespace testsupport;
using Clock = std::chrono::steady_clock;

INSTANTIATE_TYPED_TEST_SUITE_P(WinInetInternet, InternetContract, platform::win32::WinInetInternet);

TEST(WinInetInternet, OnlyWebAddressesAreOpened) {
    LoopbackHttpServer server;
    platform::win32::WinInetInternet internet(ShortLimits());
    const std::string hostPort = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_FALSE(internet.checkConnection("ftp://" + hostPort + "/"));
    EXPECT_EQ(GetSource::GetPageText(internet, "ftp://" + hostPort + "/Velnor/"), "");
    EXPECT_EQ(GetSource::GetPageText(internet, "file:///C:/windows/win.ini"), "");
    EXPECT_TRUE(server.requests().empty());
}

TEST(WinInetInternet, AServerThatNeverAnswersIsGivenUpOn) {
    LoopbackHttpServer server;
    server.route("/silent/",
                 [&server](LoopbackHttpServer::Socket, const LoopbackHttpServer::Request&) {
                     while (!server.stopping()) {
                         std::this_thread::sleep_for(std::chrono::milliseconds(10));
                     }
                 });
    platform::win32::WinInetInternet internet(ShortLimits());
    const auto start = Clock::now();
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/silent/")), "");
    EXPECT_LT(SecondsSince(start), 4.5);
}

TEST(WinInetInternet, ATransferGivenUpOnNeverTouchesTheNextSessionsHandles) {
    LoopbackHttpServer server;
    std::atomic<bool> nextAsked{false};
    // Part of a body, then nothing until the next session's request has arrived: then the
    // rest, so that the transfer given up on ends while the next one runs.
    server.route("/stall/", [&](LoopbackHttpServer::Socket socket,
                                const LoopbackHttpServer::Request&) {
        LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\npartial");
        while (!nextAsked && !server.stopping()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        LoopbackHttpServer::Send(socket, "-rest");
    });
    server.route(
        "/slow/", [&](LoopbackHttpServer::Socket socket, const LoopbackHttpServer::Request&) {
            LoopbackHttpServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nfir");
            nextAsked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            LoopbackHttpServer::Send(socket, "st!");
        });
    platform::win32::WinInetInternet internet(ShortLimits());
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/stall/")), "partial");
    EXPECT_EQ(GetSource::GetPageText(internet, server.url("/slow/")), "first!");
}
