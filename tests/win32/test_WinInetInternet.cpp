#include "netquery/GetSource.h"
#include "platform/win32/WinInetInternet.h"
#include "tests/support/InternetContract.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using testsupport::LoopbackHttpServer;
using testsupport::SecondsSince;
using testsupport::ShortLimits;
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
