#include "neighbourhood/NameLookup.h"

#include <gtest/gtest.h>

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

TEST(NameLookup, AsksTheSystemThenDiscoveryThenNetbiosOnceARound) {
    Round now;
    now.hosts.Ended(now.round, {{"Mac-Mini", {10, 0, 0, 7}}, {"both", {10, 0, 0, 8}}});
    NameLookup lookup(now.hosts, now.Knowing("system", "both", {1, 1, 1, 1}),
                      now.Knowing("netbios", "SRV1", {10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "both"), (Bytes{1, 1, 1, 1}));
    EXPECT_EQ(AddressOf(lookup, "MAC-MINI"), (Bytes{10, 0, 0, 7}));
    EXPECT_EQ(AddressOf(lookup, "SRV1"), (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "nowhere"), Bytes{});
    // Asked again in the same round, in any case: the answers stand.
    EXPECT_EQ(AddressOf(lookup, "srv1"), (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(AddressOf(lookup, "Nowhere"), Bytes{});
    EXPECT_EQ(now.asked,
              (std::vector<std::string>{"system:both", "system:MAC-MINI", "system:SRV1",
                                        "netbios:SRV1", "system:nowhere", "netbios:nowhere"}));
    // A new round asks anew, and forgets what the last round discovered.
    now.hosts.BeginRound();
    EXPECT_EQ(AddressOf(lookup, "srv1"), Bytes{});
    EXPECT_EQ(AddressOf(lookup, "Mac-Mini"), Bytes{});
}

TEST(NameLookup, WaitsForTheRoundsDiscoveriesAndAsksOnceForAllWhoAsk) {
    Round now;
    // NetBIOS knows the name too, but what discovery learns comes first.
    NameLookup lookup(now.hosts, now.Knowing("system", "", {}),
                      now.Knowing("netbios", "WINPC", {10, 0, 0, 99}));
    std::vector<Bytes> answers(8);
    std::vector<std::thread> askers;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        askers.emplace_back([&, i] { answers[i] = AddressOf(lookup, i % 2 ? "winpc" : "WINPC"); });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    now.hosts.Ended(now.round, {{"WinPC", {10, 0, 0, 5}}});
    for (std::thread& asker : askers) {
        asker.join();
    }
    for (const Bytes& answer : answers) {
        EXPECT_EQ(answer, (Bytes{10, 0, 0, 5}));
    }
    EXPECT_EQ(now.asked.size(), 2u) << "one system lookup and one broadcast for all";
}
