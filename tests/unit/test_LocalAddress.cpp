#include "platform/common/LocalAddress.h"

#include <gtest/gtest.h>

using platform::AnyNetworkUp;
using platform::ChooseLocalIPv4;
using platform::InterfaceEntry;

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
    EXPECT_FALSE(AnyNetworkUp({{"lo", true, true, "127.0.0.1"}}));
    EXPECT_FALSE(AnyNetworkUp({{"eth0", false, false, "10.0.0.1"}}));
    EXPECT_TRUE(AnyNetworkUp({{"eth0", true, false, ""}}));
}
