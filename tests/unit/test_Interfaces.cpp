#include "platform/posix/Interfaces.h"

#include <gtest/gtest.h>

#include <sstream>

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
