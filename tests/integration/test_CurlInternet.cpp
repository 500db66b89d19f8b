#include "logic/internet/GetSource.h"
#include "platform/posix/CurlInternet.h"
#include "tests/support/InternetContract.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

// The loopback server, the short limits and the clock of the Internet's tests.
using namespace testsupport;
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

namespace {

// In a network and mount namespace of its own: only loopback, and a name server on it that
// takes every query and never answers. Exit 77 where namespaces cannot be made.
[[noreturn]] void RunWithDeadResolver(const std::function<bool()>& check) {
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        _exit(77);
    }
    char conf[] = "/tmp/velnor-resolv-XXXXXX";
    const int fd = mkstemp(conf);
    const std::string text = "nameserver 127.0.0.1\noptions timeout:20 attempts:1\n";
    if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        mount(conf, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
        _exit(77);
    }
    close(fd);
    unlink(conf);
    const int control = socket(AF_INET, SOCK_DGRAM, 0);
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    loopback.ifr_flags = IFF_UP;
    sockaddr_in dns{};
    dns.sin_family = AF_INET;
    dns.sin_port = htons(53);
    dns.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int server = socket(AF_INET, SOCK_DGRAM, 0);
    if (ioctl(control, SIOCSIFFLAGS, &loopback) != 0 ||
        bind(server, reinterpret_cast<sockaddr*>(&dns), sizeof dns) != 0) {
        _exit(77);
    }
    _exit(check() ? 0 : 1);
}

} // namespace

TEST(CurlInternet, ADeadNameServerHoldsNothingPastTheConnectBound) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RunWithDeadResolver([] {
            platform::posix::CurlInternet internet(ShortLimits());
            const auto start = Clock::now();
            const bool reached = GetSource::CheckConnection(internet, "http://www.dead.example/");
            const std::string page = GetSource::GetPageText(internet, "http://www.dead.example/");
            const double seconds = SecondsSince(start);
            std::fprintf(stderr, "two requests took %.2f s\n", seconds);
            return !reached && page.empty() &&
                   seconds < 2 * ShortLimits().connectTimeout.count() / 1000.0 + 1.0;
        });
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no namespaces here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
