#include "logic/computers/clsNetwork.h"
#include "tests/support/FakeNetwork.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using fakes::Resource;
using namespace platform::net;

namespace {

// Root -> network -> two workgroups -> servers -> shares, with a few odd display types.
struct Neighbourhood {
    fakes::Provider provider;
    fakes::Computer names;

    Neighbourhood() {
        provider.children[""] = {Resource(kDisplayNetwork, "Fake Network", true)};
        provider.children["Fake Network"] = {Resource(kDisplayDomain, "WORKGROUP", true),
                                             Resource(kDisplayDomain, "OTHER", true)};
        provider.children["WORKGROUP"] = {Resource(kDisplayServer, "\\\\ALPHA", true),
                                          Resource(kDisplayServer, "\\\\BRAVO", true)};
        provider.children["OTHER"] = {Resource(kDisplayServer, "\\\\CHARLIE", true),
                                      Resource(0xA, "odd-container", true),
                                      Resource(-1, "negative", false)};
        provider.children["\\\\ALPHA"] = {Resource(kDisplayShare, "\\\\ALPHA\\public", false, 1),
                                          Resource(kDisplayShareAdmin, "\\\\ALPHA\\C$", false, 1)};
        provider.children["odd-container"] = {
            Resource(0x9, "dir", false), Resource(0x4, "file", false),
            Resource(0x5, "group", false), Resource(0x7, "root", false),
            Resource(0x0, "generic", false)};
    }
};

std::vector<std::string> Opened(const fakes::Provider& provider) {
    std::vector<std::string> names;
    for (const auto& open : provider.opened) {
        names.push_back(open.parent);
    }
    return names;
}

} // namespace

TEST(clsNetwork, ANewObjectIsEmptyAndFiltersForDisks) {
    Neighbourhood net;
    const clsNetwork network(net.provider, net.names);
    EXPECT_EQ(network.GetResourceType(), 0x1);
    for (const std::string& list :
         {network.GetDirectoryList(), network.GetDomainList(), network.GetFileList(),
          network.GetGenericList(), network.GetGroupList(), network.GetLocalMachineName(),
          network.GetLocalUserName(), network.GetNetworkList(), network.GetPrinterList(),
          network.GetRootList(), network.GetServerList(), network.GetShareAdminList(),
          network.GetShareList()}) {
        EXPECT_EQ(list, "");
    }
}

TEST(clsNetwork, WalksBreadthFirstAndSortsNamesByDisplayType) {
    Neighbourhood net;
    clsNetwork network(net.provider, net.names);
    network.SetResourceType(0x5);
    EXPECT_EQ(network.GetResourceType(), 0x5);
    network.Reset();

    // Every container, in the order its record was stored; leaves are never opened.
    EXPECT_EQ(Opened(net.provider),
              (std::vector<std::string>{"", "Fake Network", "WORKGROUP", "OTHER", "\\\\ALPHA",
                                        "\\\\BRAVO", "\\\\CHARLIE", "odd-container"}));
    for (const auto& open : net.provider.opened) {
        EXPECT_EQ(open.scope, kScopeGlobalNet);
        EXPECT_EQ(open.type, 0x5);
        EXPECT_EQ(open.usage, 0);
    }
    EXPECT_EQ(net.provider.closes, 8);

    EXPECT_EQ(network.GetNetworkList(), "Fake Network|");
    EXPECT_EQ(network.GetDomainList(), "WORKGROUP|OTHER|");
    EXPECT_EQ(network.GetServerList(), "\\\\ALPHA|\\\\BRAVO|\\\\CHARLIE|");
    EXPECT_EQ(network.GetShareList(), "\\\\ALPHA\\public|");
    EXPECT_EQ(network.GetShareAdminList(), "\\\\ALPHA\\C$|");
    EXPECT_EQ(network.GetDirectoryList(), "dir|");
    EXPECT_EQ(network.GetFileList(), "file|");
    EXPECT_EQ(network.GetGroupList(), "group|");
    EXPECT_EQ(network.GetRootList(), "root|");
    EXPECT_EQ(network.GetGenericList(), "generic|");
    EXPECT_EQ(network.GetPrinterList(), "");
    EXPECT_EQ(network.GetLocalUserName(), "alice");
    EXPECT_EQ(network.GetLocalMachineName(), "WORKSTATION-7");
    // Display types outside the lists are kept in the table all the same.
    ASSERT_TRUE(network.records());
    EXPECT_EQ(network.records()->size(), 15u);
}

TEST(clsNetwork, ServersAreToldInListOrderAsSoonAsThatOrderIsKnown) {
    // SMB first, then a network whose listing waits (discovery) and lists groups only.
    const auto neighbourhood = [](fakes::Provider& provider) {
        provider.children[""] = {Resource(kDisplayNetwork, "SMB", true),
                                 Resource(kDisplayNetwork, "WAITS", true)};
        provider.children["SMB"] = {Resource(kDisplayDomain, "WORKGROUP", true)};
        provider.children["WORKGROUP"] = {Resource(kDisplayServer, "\\\\A", false),
                                          Resource(kDisplayServer, "\\\\B", false)};
        provider.children["WAITS"] = {Resource(kDisplayDomain, "GROUP", true)};
        provider.children["GROUP"] = {Resource(kDisplayServer, "\\\\C", false)};
        provider.gates["WAITS"].shut();
    };
    fakes::Provider reference;
    fakes::Computer names;
    neighbourhood(reference);
    reference.gates["WAITS"].open();
    clsNetwork alone(reference, names);
    alone.Reset();

    // Whether the waiting network lists no server, and what is told while it waits.
    const std::pair<bool, std::vector<std::string>> cases[] = {
        {true, {"\\\\A", "\\\\B"}},
        {false, {}},
    };
    for (const auto& [listsNoServer, toldWhileWaiting] : cases) {
        fakes::Provider provider;
        neighbourhood(provider);
        if (listsNoServer) {
            provider.listsNoServer = {"WAITS"};
        }
        clsNetwork network(provider, names);
        network.SetParallelOpens(4);
        std::mutex mutex;
        std::vector<std::string> told;
        network.SetServerObserver([&](const clsNetwork::ResourceRecord& record) {
            const std::lock_guard lock(mutex);
            told.push_back(record.remoteName);
        });
        std::thread walk([&] { network.Reset(); });
        // WORKGROUP opens while WAITS, before it, waits.
        while (provider.opens() < 4) {
            std::this_thread::yield();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        {
            const std::lock_guard lock(mutex);
            EXPECT_EQ(told, toldWhileWaiting) << listsNoServer;
        }
        provider.gates["WAITS"].open();
        walk.join();
        EXPECT_EQ(told, (std::vector<std::string>{"\\\\A", "\\\\B", "\\\\C"}));
        EXPECT_EQ(network.GetServerList(), alone.GetServerList());
        EXPECT_EQ(network.GetDomainList(), alone.GetDomainList());
        ASSERT_TRUE(network.records());
        EXPECT_EQ(network.records()->size(), alone.records()->size());
        EXPECT_EQ(provider.closes, reference.closes);
    }
}

TEST(clsNetwork, NamesAreTakenAsTheyCame) {
    fakes::Provider provider;
    fakes::Computer names;
    platform::NetResource nameless = Resource(kDisplayServer, "", false);
    nameless.remoteName.reset();
    provider.children[""] = {Resource(kDisplayServer, "\\\\A|B", false),
                             Resource(kDisplayServer,
                                      "\\\\Ma\xc3\xb1"
                                      "ana",
                                      false),
                             nameless, Resource(kDisplayServer, "\\\\A|B", false)};
    clsNetwork network(provider, names);
    network.Reset();
    EXPECT_EQ(network.GetServerList(), "\\\\A|B|\\\\Ma\xc3\xb1"
                                       "ana||\\\\A|B|");
}

TEST(clsNetwork, AFailedRootOpenOnAFreshObjectIsReported) {
    Neighbourhood net;
    net.provider.rootFails = true;
    net.names.user = "bob";
    clsNetwork network(net.provider, net.names);
    EXPECT_THROW(network.Reset(), clsNetwork::NoRecords);
    EXPECT_EQ(network.GetServerList(), "");
    EXPECT_EQ(network.GetLocalUserName(), "");
    EXPECT_EQ(net.provider.closes, 0);
}

TEST(clsNetwork, ASingleRecordIsListed) {
    fakes::Provider provider;
    fakes::Computer names;
    provider.children[""] = {Resource(kDisplayServer, "\\\\ONLY", false)};
    clsNetwork network(provider, names);
    network.Reset();
    EXPECT_EQ(network.GetServerList(), "\\\\ONLY|");
    EXPECT_EQ(network.GetLocalMachineName(), "WORKSTATION-7");
}

TEST(clsNetwork, ASecondResetAppendsEveryNameAgain) {
    Neighbourhood net;
    clsNetwork network(net.provider, net.names);
    network.Reset();
    network.Reset();
    EXPECT_EQ(network.GetServerList(),
              "\\\\ALPHA|\\\\BRAVO|\\\\CHARLIE|\\\\ALPHA|\\\\BRAVO|\\\\CHARLIE|");
    EXPECT_EQ(network.records()->size(), 15u);

    // A walk that finds nothing keeps the earlier records and lists them once more.
    net.provider.rootFails = true;
    network.Reset();
    EXPECT_EQ(network.GetDomainList(), "WORKGROUP|OTHER|WORKGROUP|OTHER|WORKGROUP|OTHER|");
}

TEST(clsNetwork, FailedOpensAndReadFailuresSkipOnlyTheirContainer) {
    Neighbourhood net;
    net.provider.failingOpens = {"WORKGROUP"};
    net.provider.endResults["OTHER"] = 1222; // any failure after what was read
    clsNetwork network(net.provider, net.names);
    network.Reset();
    EXPECT_EQ(network.GetServerList(), "\\\\CHARLIE|");
    EXPECT_EQ(network.GetDomainList(), "WORKGROUP|OTHER|");
}

TEST(clsNetwork, ReadsAContainerUntilTheProviderHasNoMore) {
    fakes::Provider provider;
    fakes::Computer names;
    provider.children[""] = {Resource(kDisplayDomain, "BIG", true)};
    // Far more servers than one 4096-byte read holds.
    for (int i = 0; i < 500; ++i) {
        provider.children["BIG"].push_back(
            Resource(kDisplayServer, "\\\\SERVER-" + std::to_string(i), false));
    }
    clsNetwork network(provider, names);
    network.Reset();
    const std::string servers = network.GetServerList();
    EXPECT_EQ(std::count(servers.begin(), servers.end(), '|'), 500);
    EXPECT_NE(servers.find("\\\\SERVER-499|"), std::string::npos);
    EXPECT_GT(provider.reads, 4);
}

TEST(clsNetwork, AnEntryThatCanNeverFitEndsItsContainer) {
    fakes::Provider provider;
    fakes::Computer names;
    provider.children[""] = {Resource(kDisplayDomain, "G", true)};
    provider.children["G"] = {Resource(kDisplayServer, "\\\\FIRST", false),
                              Resource(kDisplayServer, "\\\\" + std::string(5000, 'X'), false),
                              Resource(kDisplayServer, "\\\\AFTER", false)};
    clsNetwork network(provider, names);
    network.Reset();
    EXPECT_EQ(network.GetServerList(), "\\\\FIRST|");
    EXPECT_LT(provider.reads, 10);
}

TEST(EntryCursor, PacksRecordsAndStringsIntoTheBudget) {
    platform::NetResource entry = Resource(kDisplayServer, "\\\\ABCD", false); // 32 + 7 + 13
    entry.comment = "c";                                                       // + 2
    EXPECT_EQ(platform::PackedSize(entry), 54u);
    platform::EntryCursor cursor(std::vector<platform::NetResource>(5, entry));
    auto first = cursor.next(54 * 2 + 53);
    EXPECT_EQ(first.result, kResultOk);
    EXPECT_EQ(first.entries.size(), 2u);
    EXPECT_EQ(cursor.next(53).result, kResultMoreData);
    EXPECT_EQ(cursor.next(4096).entries.size(), 3u);
    EXPECT_EQ(cursor.next(4096).result, kResultNoMoreItems);
}
