// The main window's logic without any window: the load sequence, the list fill and the
// handlers, through a fake view on a plain loop. This binary links no toolkit.
#include "logic/config/BuildConfig.h"
#include "logic/report/Report.h"
#include "tests/support/PresenterRig.h"

#include <gtest/gtest.h>

#include <algorithm>

using Rig = fakes::PresenterRig;
using platform::net::kDisplayDomain;
using platform::net::kDisplayServer;

namespace {

const Report::Stamp kStamp{"12/7/2026", "7:05:09 AM"};

void Servers(fakes::Provider& provider, std::initializer_list<const char*> names) {
    provider.children[""] = {fakes::Resource(kDisplayDomain, "WORKGROUP", true)};
    auto& servers = provider.children["WORKGROUP"];
    servers.clear();
    for (const char* name : names) {
        servers.push_back(fakes::Resource(kDisplayServer, name, false));
    }
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(MainPresenter, AConnectedLoadWritesEveryCaptionInOrder) {
    Rig rig;
    const MainRecord& record = rig.load().record();
    EXPECT_EQ(record.status, "Status : Information Retrieved");
    EXPECT_EQ(record.externalIP, "Internet IP: 203.0.113.7");
    EXPECT_EQ(record.externalHost, "Host: dsl-7.isp.example");
    EXPECT_EQ(record.network, "Network is Installed");
    EXPECT_EQ(record.localIP, "Local IP: 192.168.0.7");
    EXPECT_EQ(record.localHost, "Local Host: WORKSTATION-7");
    EXPECT_EQ(record.info, Rig::kPage);
    EXPECT_EQ(rig.rows(), std::vector<std::string>{"None Found - "});
    EXPECT_FALSE(record.rows[0].computer);
    EXPECT_EQ(rig.internet.checks, 1);
    EXPECT_EQ(rig.internet.fetches, 1);
    // One address for the test and the fetch.
    EXPECT_EQ(rig.internet.urls, std::vector<std::string>(2, velnor::AddressPageUrl()));
    EXPECT_EQ(rig.internet.agent, "vb wininet");
    EXPECT_EQ(rig.view.shows, 1);
    EXPECT_FALSE(record.busy);
    // The steps' order: status, the external address and host, the network, the local
    // address and host, the status again.
    using C = Caption;
    EXPECT_EQ(rig.view.changed,
              (std::vector<Caption>{C::Status, C::ExternalIP, C::ExternalHost, C::Network,
                                    C::LocalIP, C::LocalHost, C::Status}));
}

// A build without an address page asks STUN servers and the resolver instead; when no server
// answers, the run is not connected and the host keeps what it showed.
TEST(MainPresenter, WithoutAnAddressPageStunAndTheReverseNameTell) {
    Rig rig;
    rig.stunServers = "stun.test:3478";
    rig.datagrams.hosts["stun.test"] = {{192, 0, 2, 1}};
    rig.datagrams.names[{203, 0, 113, 7}] = "nat-7.isp.example";
    rig.load();
    EXPECT_EQ(rig.record().externalIP, "Internet IP: 203.0.113.7");
    EXPECT_EQ(rig.record().externalHost, "Host: nat-7.isp.example");
    EXPECT_EQ(rig.internet.checks + rig.internet.fetches, 0);
    EXPECT_EQ(rig.record().info, "");
    EXPECT_EQ(rig.datagrams.sent().size(), std::size_t{1});

    rig.datagrams.server = [](const platform::UdpEndpoint&, std::string_view) {
        return std::vector<platform::Datagram>{};
    };
    rig.presenter->cmdRefresh2_Click();
    rig.settle();
    EXPECT_EQ(rig.record().externalIP, "Internet IP: Not Connected");
    EXPECT_EQ(rig.record().externalHost, "Host: nat-7.isp.example");
    EXPECT_EQ(rig.record().status, "Status : Information Retrieved");
}

// What the page holds, or lacks, as the external address and host show it; bytes that a page
// could use to add a line or drive a terminal never reach a caption.
TEST(MainPresenter, ThePageDecidesTheExternalCaptions) {
    const struct {
        const char* name;
        bool connected;
        std::string page;
        std::string ip;
        std::string host;
    } cases[] = {
        {"not connected", false, Rig::kPage, "Internet IP: Not Connected", "Host: "},
        {"empty page", true, "", "Internet IP: ", "Host: "},
        {"no markers", true, "<html><b>Something else</b></html>", "Internet IP: ", "Host: "},
        {"address only", true, "<b>Your IP: 10.0.0.1</b>", "Internet IP: 10.0.0.1", "Host: "},
        {"host only, no end marker", true, "<b>Host: a.example</b><b>Your IP: 10.0.0.1",
         "Internet IP: ", "Host: a.example"},
        {"markup stays text", true, "<b>Your IP: <img src=x>&amp;</b><b>Host: <i>evil</i></b>",
         "Internet IP: <img src=x>&amp;", "Host: <i>evil</i>"},
        {"hostile bytes", true,
         "<b>Your IP: 203.0.113.7\r\nInjected: 1\x1B]0;title\x07\x1B[2J</b>"
         "<b>Host: evil\xE2\x80\xAEgpj\xE2\x80\x8B\xFF.example</b>",
         "Internet IP: 203.0.113.7Injected: 1]0;title[2J", "Host: evilgpj\xEF\xBF\xBD.example"},
    };
    for (const auto& c : cases) {
        Rig rig;
        rig.internet.connected = c.connected;
        rig.internet.body = c.page;
        rig.load();
        EXPECT_EQ(rig.record().externalIP, c.ip) << c.name;
        EXPECT_EQ(rig.record().externalHost, c.host) << c.name;
        EXPECT_EQ(rig.internet.fetches, c.connected ? 1 : 0) << c.name;
        EXPECT_EQ(rig.record().status, "Status : Information Retrieved") << c.name;
        // The report keeps its own lines: the hostile page adds none.
        const std::string report = rig.presenter->SaveReport();
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 14) << c.name;
    }
}

TEST(MainPresenter, ARerunWithoutInternetKeepsTheEarlierHostAndOneNoneFoundRow) {
    Rig rig;
    rig.load();
    rig.internet.connected = false;
    rig.computer.ip = "10.1.1.1";
    rig.presenter->cmdRefresh2_Click();
    rig.settle();
    EXPECT_EQ(rig.record().externalIP, "Internet IP: Not Connected");
    EXPECT_EQ(rig.record().externalHost, "Host: dsl-7.isp.example");
    EXPECT_EQ(rig.record().info, Rig::kPage);
    EXPECT_EQ(rig.record().localIP, "Local IP: 10.1.1.1");
    EXPECT_EQ(rig.rows(), std::vector<std::string>{"None Found - "});
    EXPECT_EQ(rig.internet.checks, 2);
}

TEST(MainPresenter, TheNetworkMetricReadsOnlyTheBitOfValueTwo) {
    const std::pair<int, const char*> cases[] = {
        {0, "Network is not Installed"}, {1, "Network is not Installed"},
        {2, "Network is Installed"},     {3, "Network is Installed"},
        {-1, "Network is Installed"},    {-3, "Network is not Installed"},
    };
    for (const auto& [metric, text] : cases) {
        Rig rig;
        rig.metrics.value = metric;
        rig.load();
        EXPECT_EQ(rig.record().network, text) << metric;
    }
}

TEST(MainPresenter, AFailingConnectivityTestGoesOnWithTheFetch) {
    Rig rig;
    rig.internet.throwOnCheck = true;
    rig.load();
    EXPECT_EQ(rig.internet.fetches, 1);
    EXPECT_EQ(rig.record().externalIP, "Internet IP: 203.0.113.7");
    EXPECT_EQ(rig.record().status, "Status : Information Retrieved");
}

TEST(MainPresenter, SaveWritesTheSaveReportExactlyAndOffersTheLastFile) {
    Rig rig;
    rig.load();
    rig.view.answers = {"/reports/first.txt", std::nullopt};
    rig.presenter->cmdSave_Click();
    const std::string expected =
        Report::SaveReport(kStamp, velnor::kWebAddresses,
                           {"Local Host: WORKSTATION-7", "Local IP: 192.168.0.7",
                            "Internet IP: 203.0.113.7", "Host: dsl-7.isp.example"},
                           "None Found - \r\n");
    EXPECT_EQ(rig.files.written.at("/reports/first.txt"), expected);
    EXPECT_EQ(rig.record().info, "None Found - \r\n");
    EXPECT_EQ(rig.clock.reads, (std::vector<char>{'d', 't'}));
    ASSERT_EQ(rig.view.asked.size(), std::size_t{1});
    EXPECT_EQ(rig.view.asked[0].title, "Save Data as...");
    EXPECT_EQ(rig.view.asked[0].filter, "Text File|*.txt|All Files|*.*");
    EXPECT_EQ(rig.view.asked[0].fileName, "");

    // Cancelled: nothing written, nothing shown; the last file is offered again.
    rig.files.written.clear();
    rig.presenter->cmdSave_Click();
    ASSERT_EQ(rig.view.asked.size(), std::size_t{2});
    EXPECT_EQ(rig.view.asked[1].fileName, "/reports/first.txt");
    EXPECT_TRUE(rig.files.written.empty());
    EXPECT_TRUE(rig.messages.shown.empty());

    // A file that cannot be written says why.
    rig.files.refused["/reports/locked.txt"] = "Permission denied";
    rig.view.answers = {"/reports/locked.txt"};
    rig.presenter->cmdSave_Click();
    EXPECT_EQ(rig.messages.shown,
              std::vector<std::string>{"The report could not be saved to \"/reports/locked.txt\"."
                                       "\n\nPermission denied"});
}

TEST(MainPresenter, CopyPutsTheCopyReportOnTheClipboard) {
    Rig rig;
    rig.load();
    rig.presenter->cmdRefresh2_Click();
    rig.settle();
    rig.presenter->cmdCopy_Click();
    const std::string expected = Report::CopyReport(
        kStamp, velnor::kWebAddresses[0],
        {"Local Host: WORKSTATION-7", "Local IP: 192.168.0.7", "Internet IP: 203.0.113.7", ""},
        "None Found - \r\n");
    // Emptied first, then the report.
    EXPECT_EQ(rig.view.clipboard, (std::vector<std::string>{"", expected}));
    EXPECT_EQ(rig.clock.reads, (std::vector<char>{'d', 't'}));
}

TEST(MainPresenter, TheListFillAddsOneRowPerServerWithItsAddress) {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
    rig.resolver.add("ALPHA", {10, 231, 0, 1});
    rig.resolver.add("BRAVO", {10, 231, 0, 2});
    fakes::Gate& walk = rig.provider.gates["WORKGROUP"];
    ASSERT_TRUE(rig.loadHeldAt(walk));
    EXPECT_TRUE(rig.record().busy);
    walk.open();
    rig.settle();
    EXPECT_EQ(rig.rows(), (std::vector<std::string>{"ALPHA - 10.231.0.1", "BRAVO - 10.231.0.2"}));
    EXPECT_EQ(rig.record().rows[0].key, "KEY_ALPHA");
    EXPECT_EQ(rig.record().rows[1].key, "KEY_BRAVO");
    EXPECT_TRUE(rig.record().rows[0].computer);
    EXPECT_FALSE(rig.record().busy);
    EXPECT_EQ(rig.view.busyChanges, 2);
    // Every open of the walk asks for any type of resource.
    for (const auto& open : rig.provider.opened) {
        EXPECT_EQ(open.type, 0);
    }
    // Looked up at once, each once.
    EXPECT_EQ(Sorted(rig.resolver.looked), (std::vector<std::string>{"ALPHA", "BRAVO"}));
}

TEST(MainPresenter, TheListFillSkipsDoublesAndShortPartsAndKeepsBytes) {
    Rig rig;
    // A name listed before in any case is dropped. Latin-1 "Mül", then the same in UTF-8: two
    // names, two rows, each name's bytes kept.
    Servers(rig.provider, {"\\\\ALPHA", "\\\\", "XY", "\\\\GHOST", "\\\\ALPHA", "\\\\B",
                           "\\\\alpha", "\\\\M\xFCl", "\\\\M\xC3\xBCl"});
    rig.resolver.add("ALPHA", {10, 0, 0, 1});
    rig.resolver.add("B", {10, 0, 0, 2});
    rig.resolver.add("M\xFCl", {10, 0, 0, 3});
    rig.load();
    EXPECT_EQ(rig.rows(), (std::vector<std::string>{"ALPHA - 10.0.0.1", "GHOST - ", "B - 10.0.0.2",
                                                    "M\xFCl - 10.0.0.3", "M\xC3\xBCl - "}));
    // The second ALPHA and alpha were never looked up.
    EXPECT_EQ(Sorted(rig.resolver.looked),
              (std::vector<std::string>{"ALPHA", "B", "GHOST", "M\xC3\xBCl", "M\xFCl"}));
    rig.presenter->Command1_Click();
    EXPECT_EQ(rig.record().info, "ALPHA - 10.0.0.1\r\nGHOST - \r\nB - 10.0.0.2\r\n"
                                 "M\xFCl - 10.0.0.3\r\nM\xC3\xBCl - \r\n");
}

TEST(MainPresenter, FailedWalksLookupsAndSecondFillsLeaveAConsistentList) {
    {
        Rig rig;
        rig.provider.rootFails = true;
        rig.load();
        EXPECT_EQ(rig.rows(), std::vector<std::string>{"None Found - "});
        // Out of sight, clicked directly: no "None Found" row then.
        rig.presenter->cmdRefresh_Click();
        rig.settle();
        EXPECT_TRUE(rig.record().rows.empty());
        EXPECT_FALSE(rig.record().busy);
    }
    {
        Rig rig;
        Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
        rig.load();
        rig.presenter->cmdRefresh2_Click();
        rig.presenter->cmdRefresh_Click();
        rig.settle();
        rig.presenter->cmdRefresh_Click();
        rig.settle();
        EXPECT_EQ(rig.rows(), (std::vector<std::string>{"ALPHA - ", "BRAVO - "}));
    }
    {
        Rig rig;
        Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
        rig.resolver.started.result = 10091;
        rig.load();
        EXPECT_EQ(rig.rows(), (std::vector<std::string>{"ALPHA - ", "BRAVO - "}));
        EXPECT_EQ(rig.messages.shown,
                  std::vector<std::string>(2, "The 32-bit Windows Socket is not responding."));
    }
}

TEST(MainPresenter, ResetClearsAddressesAndTheListAndTheReportSaysSo) {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA"});
    rig.load();
    rig.presenter->cmdReset_Click();
    EXPECT_EQ(rig.record().localIP, "Local IP: ");
    EXPECT_EQ(rig.record().externalIP, "External IP: ");
    EXPECT_EQ(rig.record().localHost, "Local Host: WORKSTATION-7");
    EXPECT_EQ(rig.record().externalHost, "Host: dsl-7.isp.example");
    EXPECT_TRUE(rig.record().rows.empty());
    rig.presenter->cmdCopy_Click();
    EXPECT_TRUE(rig.view.clipboard.back().ends_with(
        "\r\nLocal Host: WORKSTATION-7\r\nLocal IP: \r\nExternal IP: \r\n\r\nNetwork IPs\r\n"));
}

TEST(MainPresenter, CloseUnloadsEveryWindowAndEndsTheProgram) {
    Rig rig;
    rig.load();
    rig.presenter->cmdClose_Click();
    EXPECT_EQ(rig.ended, 1);
    EXPECT_EQ(rig.view.unloads, 1);
    EXPECT_TRUE(rig.presenter->isUnloaded());
    // The window's own close command comes back here once more: nothing happens twice.
    rig.presenter->Form_Unload();
    EXPECT_EQ(rig.ended, 1);
    rig.presenter->Form_Load();
    EXPECT_FALSE(rig.presenter->isLoading());
}

// Without a view (the command line's report) the load runs all the same, unpainted.
TEST(MainPresenter, WithoutAViewTheLoadRunsAndTheReportIsWhatSaveWrites) {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA"});
    rig.resolver.add("ALPHA", {10, 231, 0, 1});
    rig.make(false).Form_Load();
    rig.settle();
    EXPECT_EQ(rig.record().status, "Status : Information Retrieved");
    EXPECT_EQ(rig.view.shows, 0);
    const std::string report = rig.presenter->SaveReport();
    EXPECT_TRUE(report.ends_with("Network IPs\r\nALPHA - 10.231.0.1\r\n"));
    rig.presenter->cmdSave_Click(); // no view to ask: nothing saved
    EXPECT_TRUE(rig.files.written.empty());
}
