#include "logic/computers/ListFill.h"
#include "logic/computers/clsNetwork.h"
#include "neighbourhood/DiscoveryProvider.h"
#include "neighbourhood/NetworkNames.h"
#include "neighbourhood/RouterProvider.h"
#include "tests/support/FakeNetwork.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <thread>

using namespace platform::net;
using neighbourhood::DiscoveredComputer;
using neighbourhood::DiscoveredHosts;
using neighbourhood::DiscoveryProvider;

namespace {

// SMB with two servers, then two discovery networks, walked as the main window walks. The
// browse list's member is named as its entries are, or not at all (the system's router).
struct Walk {
    std::string browseName;
    fakes::Provider smb;
    fakes::Resolver resolver;
    fakes::Computer names;
    DiscoveredHosts hosts;
    std::vector<DiscoveredComputer> wsdFound;
    std::vector<DiscoveredComputer> mdnsFound;
    std::atomic<int> running{0};
    std::atomic<int> overlapped{0};
    DiscoveryProvider wsd{"WSD Network", "WSD", Probe(wsdFound), std::chrono::milliseconds(50),
                          hosts,         2};
    DiscoveryProvider mdns{"mDNS Network", "mDNS", Probe(mdnsFound), std::chrono::milliseconds(50),
                           hosts,          1};
    neighbourhood::RouterProvider router{
        {{browseName, &smb}, {"WSD", &wsd}, {"mDNS", &mdns}}, resolver, hosts};

    explicit Walk(std::string browse = "Fake Network") : browseName(std::move(browse)) {
        smb.children[""] = {fakes::Resource(kDisplayNetwork, "Fake Network", true)};
        smb.children["Fake Network"] = {fakes::Resource(kDisplayDomain, "WORKGROUP", true)};
        smb.children["WORKGROUP"] = {fakes::Resource(kDisplayServer, "\\\\FILESRV", true),
                                     fakes::Resource(kDisplayServer, "\\\\NAS", true)};
        resolver.add("FILESRV", {10, 0, 0, 1});
        resolver.add("NAS", {10, 0, 0, 2});
    }

    DiscoveryProvider::Discover Probe(const std::vector<DiscoveredComputer>& found) {
        return [this, &found](std::chrono::milliseconds, std::stop_token,
                              const neighbourhood::Found&) {
            // Both discoveries must run at the same time, not one after the other.
            ++running;
            for (int i = 0; i < 100 && running < 2; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            overlapped += running == 2 ? 1 : 0;
            return found;
        };
    }

    std::string servers() {
        clsNetwork network(router, names);
        network.SetResourceType(0);
        network.Reset();
        return network.GetServerList();
    }

    // The rows the list fill makes of the walk, each followed by "|".
    std::string listed() {
        fakes::Messages messages;
        std::string rows;
        std::promise<void> ended;
        ListFill::Events events;
        events.row = [&rows](const std::string& name) { rows += name + "|"; };
        events.address = [](const std::string&, const std::string&) {};
        events.done = [&ended] { ended.set_value(); };
        std::vector<std::thread> threads;
        std::mutex launching;
        ListFill::Start({router, names, resolver, messages}, std::move(events),
                        [&](std::function<void()> work) {
                            const std::lock_guard lock(launching);
                            threads.emplace_back(std::move(work));
                        });
        ended.get_future().wait();
        const std::lock_guard lock(launching);
        for (std::thread& thread : threads) {
            thread.join();
        }
        return rows;
    }
};

} // namespace

TEST(RouterProvider, ListsEachProvidersComputersInProviderOrder) {
    Walk walk;
    walk.wsdFound = {{"WINPC", "TESTGROUP", "Alice's PC", {10, 0, 0, 5}},
                     {"LAPTOP", "CORP", "", {10, 0, 0, 6}}};
    walk.mdnsFound = {{"mac-mini", "local", "", {10, 0, 0, 7}}};
    EXPECT_EQ(walk.servers(), "\\\\FILESRV|\\\\NAS|\\\\WINPC|\\\\LAPTOP|\\\\mac-mini|");
    EXPECT_EQ(walk.overlapped, 2);
    // What discovery found resolves by name.
    EXPECT_EQ(walk.hosts.find("MAC-MINI"), (platform::Ipv4Address{10, 0, 0, 7}));
}

// The router drops what another provider listed at the address discovery learnt; names listed
// before, in any case, are the list fill's to drop.
TEST(RouterProvider, AComputerSeveralProvidersFindIsListedByTheFirstOnly) {
    Walk walk;
    walk.wsdFound = {{"filesrv", "TESTGROUP", "", {10, 9, 9, 9}}, // SMB's name: its address now
                     {"NAS-WIN", "TESTGROUP", "", {10, 0, 0, 2}}, // SMB's, by address
                     {"WINPC", "TESTGROUP", "", {10, 0, 0, 5}},
                     {"WINPC-VM", "TESTGROUP", "", {10, 0, 0, 5}}}; // its own, at one address
    walk.mdnsFound = {{"winpc", "local", "", {10, 0, 0, 5}},        // WSD's, by address
                      {"other-name", "local", "", {10, 0, 0, 5}},   // WSD's, by address
                      {"mac-mini", "local", "", {10, 0, 0, 7}}};
    EXPECT_EQ(walk.servers(), "\\\\FILESRV|\\\\NAS|\\\\WINPC|\\\\WINPC-VM|\\\\mac-mini|");
    EXPECT_EQ(walk.listed(), "FILESRV|NAS|WINPC|WINPC-VM|mac-mini|");
}

TEST(RouterProvider, EveryWalkStartsAfresh) {
    Walk walk;
    walk.wsdFound = {{"WINPC", "TESTGROUP", "", {10, 0, 0, 5}}};
    EXPECT_EQ(walk.servers(), "\\\\FILESRV|\\\\NAS|\\\\WINPC|");
    walk.wsdFound.clear();
    EXPECT_EQ(walk.servers(), "\\\\FILESRV|\\\\NAS|");
    EXPECT_FALSE(walk.hosts.find("WINPC"));
}

// The system's router (Windows) is one member whose networks carry their own providers' names:
// it opens every container that no other member names.
TEST(RouterProvider, TheSystemsRouterOpensWhatNoOtherMemberNames) {
    Walk walk("");
    auto web = [](std::int32_t displayType, std::string name) {
        platform::NetResource entry = fakes::Resource(displayType, std::move(name), true);
        entry.provider = "Web Client Network";
        return entry;
    };
    walk.smb.children[""].push_back(web(kDisplayNetwork, "Web Client Network"));
    walk.smb.children["Web Client Network"] = {web(kDisplayDomain, "WEBGROUP")};
    walk.smb.children["WEBGROUP"] = {web(kDisplayServer, "\\\\DAVSRV")};
    walk.wsdFound = {{"WINPC", "TESTGROUP", "", {10, 0, 0, 5}}};
    EXPECT_EQ(walk.servers(), "\\\\FILESRV|\\\\NAS|\\\\DAVSRV|\\\\WINPC|");
}

// Names come cleaned and capped from where their messages came in (the codecs' tests).
TEST(DiscoveryProvider, SkipsNamelessComputersAndTheLongestCommentEndsNoGroup) {
    Walk walk;
    walk.wsdFound = {
        {"BIG", "TESTGROUP", std::string(neighbourhood::kMaxCommentBytes, 'c'), {10, 0, 0, 5}},
        {"", "TESTGROUP", "", {10, 0, 0, 6}},
        {std::string(neighbourhood::kMaxNameBytes, 'N'), "TESTGROUP", "", {10, 0, 0, 7}},
        {"AFTER", "TESTGROUP", "", {10, 0, 0, 8}}};
    EXPECT_EQ(walk.servers(), "\\\\FILESRV|\\\\NAS|\\\\BIG|\\\\" +
                                  std::string(neighbourhood::kMaxNameBytes, 'N') + "|\\\\AFTER|");
}

TEST(DiscoveryProvider, ANameTwoAddressesClaimIsListedOnceAndLearntForNeither) {
    Walk walk;
    walk.wsdFound = {{"WINPC", "TESTGROUP", "", {10, 0, 0, 5}},
                     {"winpc", "TESTGROUP", "", {10, 0, 0, 66}},
                     {"LAPTOP", "TESTGROUP", "", {10, 0, 0, 6}},
                     {"LAPTOP", "TESTGROUP", "", {10, 0, 0, 6}}};
    walk.mdnsFound = {{"winpc", "local", "", {10, 0, 0, 77}}};
    EXPECT_EQ(walk.listed(), "FILESRV|NAS|WINPC|LAPTOP|");
    EXPECT_FALSE(walk.hosts.find("WINPC"));
    EXPECT_EQ(walk.hosts.find("laptop"), (platform::Ipv4Address{10, 0, 0, 6}));
}
