#include "neighbourhood/NameLookup.h"

#include <gtest/gtest.h>

using neighbourhood::DiscoveredHosts;

TEST(NameLookup, AsksTheSystemThenDiscoveryThenNetbios) {
    std::vector<std::string> asked;
    auto lookup = [&asked](std::string source, std::string known,
                           std::vector<std::uint8_t> address) {
        return [&asked, source, known,
                address](const std::string& name) -> std::optional<std::vector<std::uint8_t>> {
            asked.push_back(source + ":" + name);
            if (name == known) {
                return address;
            }
            return std::nullopt;
        };
    };
    DiscoveredHosts hosts;
    hosts.add("Mac-Mini", {10, 0, 0, 7});
    hosts.add("both", {10, 0, 0, 8});
    neighbourhood::NameLookup sockets(&hosts, lookup("system", "both", {1, 1, 1, 1}),
                                      lookup("netbios", "SRV1", {10, 0, 0, 1}));
    EXPECT_EQ(sockets.getHostByName("both")->addresses.front(),
              (std::vector<std::uint8_t>{1, 1, 1, 1}));
    EXPECT_EQ(sockets.getHostByName("MAC-MINI")->addresses.front(),
              (std::vector<std::uint8_t>{10, 0, 0, 7}));
    EXPECT_EQ(sockets.getHostByName("SRV1")->addresses.front(),
              (std::vector<std::uint8_t>{10, 0, 0, 1}));
    EXPECT_FALSE(sockets.getHostByName("nowhere"));
    EXPECT_EQ(asked,
              (std::vector<std::string>{"system:both", "system:MAC-MINI", "system:SRV1",
                                        "netbios:SRV1", "system:nowhere", "netbios:nowhere"}));
}
