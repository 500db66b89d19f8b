#include "platform/win32/WinsockLibrary.h"
#include "logic/computers/modIP.h"
#include "tests/support/FakePlatform.h"

#include <gtest/gtest.h>

// Before anything else in this process starts Winsock: each test runs in a process of its own.
TEST(WinsockLibrary, StartsVersionOneOneWithItsSocketCount) {
    platform::win32::WinsockLibrary sockets;
    const platform::SocketStartup agreed = sockets.startup(0x0101);
    EXPECT_EQ(agreed.result, 0);
    EXPECT_EQ(agreed.version, 0x0101);
    EXPECT_GE(agreed.maxSockets, 1);
    EXPECT_EQ(sockets.cleanup(), 0);
}

TEST(WinsockLibrary, ResolvesToTheDottedFirstAddressWithoutMessages) {
    platform::win32::WinsockLibrary sockets;
    fakes::Messages messages;
    EXPECT_EQ(modIP::ResolveHostAddress(sockets, messages, "localhost"), "127.0.0.1");
    EXPECT_EQ(modIP::ResolveHostAddress(sockets, messages, "  localhost "), "127.0.0.1");
    // A computer's name that spells an address is not taken for one.
    EXPECT_EQ(modIP::ResolveHostAddress(sockets, messages, "127.0.0.1"), "");
    // In a network of loopback only, nothing answers for an unknown name.
    EXPECT_EQ(modIP::ResolveHostAddress(sockets, messages, "no-such-host.invalid"), "");
    EXPECT_TRUE(messages.shown.empty());

    ASSERT_EQ(sockets.startup(0x0101).result, 0);
    const auto entry = sockets.getHostByName("localhost");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->addressLength, 4);
    ASSERT_FALSE(entry->addresses.empty());
    EXPECT_EQ(entry->addresses.front(), (std::vector<std::uint8_t>{127, 0, 0, 1}));
    EXPECT_EQ(sockets.cleanup(), 0);
}
