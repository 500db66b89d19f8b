#include "neighbourhood/NameLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

using neighbourhood::DiscoveredHosts;
using neighbourhood::NameLookup;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A lookup that knows one name and notes every name it is asked for.
struct Source {
    std::string label;
    std::string known;
    Bytes address;
    std::mutex& mutex;
    std::vector<std::string>& asked;
    NameLookup::Address operator()(const std::string& name) const {
        const std::lock_guard lock(mutex);
        asked.push_back(label + ":" + name);
        return name == known ? NameLookup::Address(address) : std::nullopt;
    }
};

Bytes AddressOf(NameLookup& lookup, const std::string& name) {
    const auto host = lookup.getHostByName(name);
    return host ? host->addresses.front() : Bytes{};
}

// A round whose discovery has started, and the names each source was asked for.
struct Round {
    std::mutex mutex;
    std::vector<std::string> asked;
    DiscoveredHosts hosts;
    DiscoveredHosts::Round round = hosts.BeginRound();
    Round() { hosts.Started(round); }
    Source Knowing(std::string label, std::string known, Bytes address) {
        return {std::move(label), std::move(known), std::move(address), mutex, asked};
    }
};

} // namespace

TEST(NameLookup, AsksTheSystemThenNetbiosThenDiscoveryOnceARound) {
    Round now;
    // Discovery heard "SRV1" from someone else than the server that answers the broadcast.
    now.hosts.Ended(
        now.round, 1,
        {{"Mac-Mini", {10, 0, 0, 7}}, {"both", {10, 0, 0, 8}}, {"srv1", {10, 0, 0, 66}}});
    NameLookup lookup(now.hosts, now.Knowing("system", "both", {1, 1, 1, 1}),
                      now.Knowing("netbios", "SRV1", {10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "both"), (Bytes{1, 1, 1, 1}));
    EXPECT_EQ(AddressOf(lookup, "SRV1"), (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "MAC-MINI"), (Bytes{10, 0, 0, 7}));
    EXPECT_EQ(AddressOf(lookup, "nowhere"), Bytes{});
    // Asked again in the same round, in any case: the answers stand.
    EXPECT_EQ(AddressOf(lookup, "srv1"), (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "Nowhere"), Bytes{});
    // Names that read as addresses are asked of no one.
    for (const char* numeric : {"0x7f.1", "3405803777", "10.0.0.1", "127.1"}) {
        EXPECT_EQ(AddressOf(lookup, numeric), Bytes{}) << numeric;
    }
    EXPECT_EQ(now.asked, (std::vector<std::string>{"system:both", "system:SRV1", "netbios:SRV1",
                                                   "system:MAC-MINI", "netbios:MAC-MINI",
                                                   "system:nowhere", "netbios:nowhere"}));
    // A new round asks anew, and forgets what the last round discovered.
    now.hosts.BeginRound();
    EXPECT_EQ(AddressOf(lookup, "SRV1"), (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "Mac-Mini"), Bytes{});
}

TEST(NameLookup, WaitsForTheRoundsDiscoveriesAndAsksOnceForAllWhoAsk) {
    Round now;
    NameLookup lookup(now.hosts, now.Knowing("system", "", {}), now.Knowing("netbios", "", {}));
    std::vector<Bytes> answers(8);
    std::vector<std::thread> askers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        askers.emplace_back([&, i] { answers[i] = AddressOf(lookup, i % 2 ? "winpc" : "WINPC"); });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    now.hosts.Ended(now.round, 1, {{"WinPC", {10, 0, 0, 5}}});
    for (std::thread& asker : askers) {
        asker.join();
    }
    for (const Bytes& answer : answers) {
        EXPECT_EQ(answer, (Bytes{10, 0, 0, 5}));
    }
    EXPECT_EQ(now.asked.size(), 2u) << "one system lookup and one broadcast for all";
}

// A lookup started ahead is the round's one lookup of that name, whoever comes first.
TEST(NameLookup, ALookupStartedAheadIsTheOneLookup) {
    Round now;
    now.hosts.Ended(now.round, 1, {{"wsdpc", {10, 0, 0, 9}}});
    {
        NameLookup lookup(now.hosts, now.Knowing("system", "", {}),
                          now.Knowing("netbios", "NBPC", {10, 0, 0, 4}));
        for (const char* name : {"WsdPc", "NBPC", "WsdPc"}) {
            lookup.Expect(name);
        }
        EXPECT_EQ(AddressOf(lookup, "NBPC"), (Bytes{10, 0, 0, 4}));
        EXPECT_EQ(AddressOf(lookup, "WSDPC"), (Bytes{10, 0, 0, 9}));
    } // waits for what it started
    // Whoever came first asked, in its own spelling.
    for (std::string& asked : now.asked) {
        std::transform(asked.begin(), asked.end(), asked.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    std::sort(now.asked.begin(), now.asked.end());
    EXPECT_EQ(now.asked, (std::vector<std::string>{"netbios:nbpc", "netbios:wsdpc", "system:nbpc",
                                                   "system:wsdpc"}));
}

TEST(DiscoveredHosts, TheMostTrustedDiscoveryKeepsTheNameUnlessItHeardTwoClaims) {
    using Claims = std::vector<std::pair<std::string, platform::Ipv4Address>>;
    const Claims real{{"PC", {10, 0, 0, 5}}};
    const Claims rogue{{"pc", {10, 0, 0, 66}}};
    const Claims both{{"PC", {10, 0, 0, 5}}, {"pc", {10, 0, 0, 66}}, {"Pc", {10, 0, 0, 5}}};
    // What each discovery of a round tells, in order, with its trust; what "pc" resolves to.
    const struct {
        std::vector<std::pair<DiscoveredHosts::Trust, Claims>> told;
        std::optional<platform::Ipv4Address> kept;
    } cases[] = {
        {{{1, rogue}, {2, real}}, platform::Ipv4Address{10, 0, 0, 5}},
        {{{2, real}, {1, rogue}}, platform::Ipv4Address{10, 0, 0, 5}},
        {{{2, real}, {2, real}}, platform::Ipv4Address{10, 0, 0, 5}},
        {{{2, both}}, std::nullopt},
        {{{2, both}, {1, real}}, std::nullopt},
        {{{1, both}, {2, real}}, platform::Ipv4Address{10, 0, 0, 5}},
    };
    for (const auto& c : cases) {
        DiscoveredHosts hosts;
        const auto round = hosts.BeginRound();
        for (const auto& [trust, claims] : c.told) {
            hosts.Started(round);
            hosts.Ended(round, trust, claims);
        }
        EXPECT_EQ(hosts.find("Pc"), c.kept) << c.told.size() << " " << c.told[0].first;
    }
}
