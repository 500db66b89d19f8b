#include "logic/computers/modIP.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

struct Rig {
    fakes::Resolver resolver;
    fakes::Messages messages;
    std::string resolve(const std::string& name) {
        return modIP::ResolveHostAddress(resolver, messages, name);
    }
};

} // namespace

TEST(modIP, GivesTheFirstAddressAsDottedText) {
    Rig rig;
    rig.resolver.add("ALPHA", {10, 0, 0, 1});
    rig.resolver.hosts["MULTI"] = {4, {{192, 168, 0, 7}, {10, 9, 9, 9}}};
    rig.resolver.add("ZERO", {0, 0, 0, 0});
    EXPECT_EQ(rig.resolve("ALPHA"), "10.0.0.1");
    EXPECT_EQ(rig.resolve("  ALPHA  "), "10.0.0.1");
    EXPECT_EQ(rig.resolve("MULTI"), "192.168.0.7");
    EXPECT_EQ(rig.resolve("ZERO"), "0.0.0.0");
    EXPECT_EQ(rig.resolver.looked.at(1), "ALPHA");
    EXPECT_EQ(rig.resolver.startups, 4);
    EXPECT_EQ(rig.resolver.cleanups, 4);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(modIP, UnresolvableNamesAndEmptyHostEntriesGiveTheEmptyText) {
    Rig rig;
    rig.resolver.hosts["EMPTY"] = {4, {}};
    rig.resolver.hosts["SHORT"] = {4, {{10, 1}}};
    rig.resolver.hosts["NOLENGTH"] = {0, {{10, 1, 2, 3}}};
    EXPECT_EQ(rig.resolve("NOWHERE"), "");
    EXPECT_EQ(rig.resolve("EMPTY"), "");
    EXPECT_EQ(rig.resolve("SHORT"), "10.1");
    EXPECT_EQ(rig.resolve("NOLENGTH"), "");
    // Names that spell addresses are not looked up, whatever the resolver would say.
    for (const char* numeric : {"10.0.0.1", " 0x7f.1", "3405803777"}) {
        rig.resolver.add(numeric, {127, 0, 0, 1});
        EXPECT_EQ(rig.resolve(numeric), "") << numeric;
    }
    EXPECT_EQ(rig.resolver.cleanups, 4);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(modIP, StartUpChecksRunInOrderWithTheirMessages) {
    Rig failed;
    failed.resolver.started = {10091, 0x0101, 32767};
    EXPECT_EQ(failed.resolve("ALPHA"), "");
    EXPECT_EQ(failed.resolve("BRAVO"), "");
    EXPECT_EQ(failed.messages.shown,
              std::vector<std::string>(2, "The 32-bit Windows Socket is not responding."));
    EXPECT_TRUE(failed.resolver.looked.empty());
    EXPECT_EQ(failed.resolver.cleanups, 0);

    // Both later checks fail: only the socket count is reported; the library is given back.
    Rig both;
    both.resolver.started = {0, 0x0001, 0};
    EXPECT_EQ(both.resolve("ALPHA"), "");
    EXPECT_EQ(
        both.messages.shown,
        std::vector<std::string>{"This application requires a minimum of 1 supported sockets."});
    EXPECT_EQ(both.resolver.cleanups, 1);

    Rig negative;
    negative.resolver.started = {0, 0x0101, -5};
    EXPECT_FALSE(modIP::StartSocketLibrary(negative.resolver, negative.messages));

    Rig old;
    old.resolver.started = {0, 0x0001, 100};
    EXPECT_EQ(old.resolve("ALPHA"), "");
    EXPECT_EQ(old.messages.shown,
              std::vector<std::string>{
                  "Sockets version 1.0 is not supported by 32-bit Windows Sockets."});
    EXPECT_EQ(old.resolver.cleanups, 1);

    Rig fine;
    fine.resolver.started = {0, 0x0002, 1}; // 2.0 is new enough
    EXPECT_TRUE(modIP::StartSocketLibrary(fine.resolver, fine.messages));
    fine.resolver.started = {0, 0x0000, 1};
    EXPECT_FALSE(modIP::StartSocketLibrary(fine.resolver, fine.messages));
    EXPECT_EQ(fine.messages.shown.back(),
              "Sockets version 0.0 is not supported by 32-bit Windows Sockets.");
}

TEST(modIP, AFailedCleanUpIsShownButTheAddressKept) {
    Rig rig;
    rig.resolver.add("ALPHA", {10, 0, 0, 1});
    rig.resolver.cleanupResult = -1;
    EXPECT_EQ(rig.resolve("ALPHA"), "10.0.0.1");
    EXPECT_EQ(rig.resolve("NOWHERE"), "");
    EXPECT_EQ(rig.messages.shown, std::vector<std::string>(2, "Socket error occurred in Cleanup."));
}

TEST(modIP, ByteHalvesOfAWord) {
    EXPECT_EQ(modIP::LowByteOf(0x0201), 1);
    EXPECT_EQ(modIP::HighByteOf(0x0201), 2);
    EXPECT_EQ(modIP::LowByteOf(0xFFFF), 255);
    EXPECT_EQ(modIP::HighByteOf(0xFF00), 255);
}
