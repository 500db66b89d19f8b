#include "platform/posix/Interfaces.h"

#include <gtest/gtest.h>

#include <sstream>

using platform::posix::ChooseLocalIPv4;
using platform::posix::InterfaceEntry;

namespace {

const char kRouteHeader[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::string DefaultOf(const std::string& rows) {
    std::istringstream table(kRouteHeader + rows);
    return platform::posix::DefaultRouteInterface(table);
}

} // namespace

TEST(DefaultRouteInterface, PicksTheDefaultRouteWithTheLowestMetric) {
    EXPECT_EQ(DefaultOf("eth0\t0000A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
                        "wlan0\t00000000\t0100A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
                        "eth0\t00000000\t0100A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"),
              "eth0");
    // A route that is down, or a host route, is no default route.
    EXPECT_EQ(DefaultOf("eth0\t00000000\t0100A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n"
                        "eth1\t00000000\t0100A8C0\t0003\t0\t0\t100\tFFFFFFFF\t0\t0\t0\n"),
              "");
    EXPECT_EQ(DefaultOf(""), "");
    EXPECT_EQ(DefaultOf("garbage line\n\n"), "");
}

TEST(ChooseLocalIPv4, PrefersTheDefaultRouteThenAnyNetworkThenLoopback) {
    const std::vector<InterfaceEntry> entries{
        {"lo", true, true, "127.0.0.1"},
        {"docker0", true, false, "172.17.0.1"},
        {"eth0", true, false, ""}, // the IPv6 entry of eth0
        {"eth0", true, false, "192.168.0.7"},
        {"eth1", false, false, "10.9.9.9"},
    };
    EXPECT_EQ(ChooseLocalIPv4(entries, "eth0"), "192.168.0.7");
    EXPECT_EQ(ChooseLocalIPv4(entries, ""), "172.17.0.1");
    EXPECT_EQ(ChooseLocalIPv4(entries, "eth1"), "172.17.0.1"); // its interface is down
    EXPECT_EQ(ChooseLocalIPv4({{"lo", true, true, "127.0.0.1"}}, ""), "127.0.0.1");
    EXPECT_EQ(ChooseLocalIPv4({}, ""), "");
}

TEST(AnyNetworkUp, IgnoresLoopbackAndInterfacesThatAreDown) {
    EXPECT_FALSE(platform::posix::AnyNetworkUp({{"lo", true, true, "127.0.0.1"}}));
    EXPECT_FALSE(platform::posix::AnyNetworkUp({{"eth0", false, false, "10.0.0.1"}}));
    EXPECT_TRUE(platform::posix::AnyNetworkUp({{"eth0", true, false, ""}}));
}
