// The presenter's thread never waits for the network: while each blocking step of the load
// holds, every handler answers at once, and closing ends the load where it stands.
#include "logic/config/BuildConfig.h"
#include "logic/report/Report.h"
#include "tests/support/PresenterRig.h"

#include <gtest/gtest.h>

#include <functional>

using Rig = fakes::PresenterRig;

namespace {

void Neighbourhood(Rig& rig) {
    using platform::net::kDisplayDomain;
    using platform::net::kDisplayServer;
    rig.provider.children[""] = {fakes::Resource(kDisplayDomain, "WORKGROUP", true),
                                 fakes::Resource(kDisplayDomain, "OTHER", true)};
    rig.provider.children["WORKGROUP"] = {fakes::Resource(kDisplayServer, "\\\\ALPHA", false),
                                          fakes::Resource(kDisplayServer, "\\\\BRAVO", false)};
    rig.provider.children["OTHER"] = {fakes::Resource(kDisplayServer, "\\\\CHARLIE", false)};
    rig.resolver.add("ALPHA", {10, 0, 0, 1});
    rig.resolver.add("CHARLIE", {10, 0, 0, 3});
    // Set up before the walk, as the fake asks.
    rig.provider.gates["WORKGROUP"];
    rig.provider.gates["OTHER"];
}

// Everything the record shows, as one text.
std::string Shown(const MainRecord& record) {
    std::string shown = record.status + "\n" + record.externalIP + "\n" + record.externalHost +
                        "\n" + record.network + "\n" + record.localIP + "\n" + record.localHost +
                        "\n";
    for (const MainRecord::Row& row : record.rows) {
        shown += row.text + " - " + row.address + "\n";
    }
    return shown;
}

std::string RowsText(const MainRecord& record) {
    std::vector<Report::Row> rows;
    for (const MainRecord::Row& row : record.rows) {
        rows.push_back({row.text, row.address});
    }
    return Report::RowsText(rows, 2);
}

Report::Captions Captions(const MainRecord& record) {
    return {record.localHost, record.localIP, record.externalIP, record.externalHost};
}

// A blocking step of the load: the gate that holds it in the rig.
const struct Step {
    const char* name;
    std::function<fakes::Gate&(Rig&)> gate;
} kSteps[] = {
    {"connectivity test", [](Rig& rig) -> fakes::Gate& { return rig.internet.checkGate; }},
    {"page fetch", [](Rig& rig) -> fakes::Gate& { return rig.internet.fetchGate; }},
    {"walk", [](Rig& rig) -> fakes::Gate& { return rig.provider.gates["WORKGROUP"]; }},
    {"lookup", [](Rig& rig) -> fakes::Gate& { return rig.resolver.gate; }},
};

} // namespace

TEST(MainPresenterWhileLoading, ClicksDuringEachBlockingStepAreAnsweredAtOnce) {
    Rig reference;
    Neighbourhood(reference);
    reference.load();
    for (const Step& step : kSteps) {
        Rig rig;
        Neighbourhood(rig);
        fakes::Gate& gate = step.gate(rig);
        ASSERT_TRUE(rig.loadHeldAt(gate)) << step.name;
        ASSERT_TRUE(rig.presenter->isLoading()) << step.name;

        // Refresh starts no second load.
        rig.presenter->cmdRefresh2_Click();
        // Save and Copy report what the record holds now.
        const MainRecord now = rig.record();
        rig.view.answers = {"/during.txt"};
        rig.presenter->cmdSave_Click();
        EXPECT_EQ(rig.files.written["/during.txt"],
                  Report::SaveReport({"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses,
                                     Captions(now), RowsText(now)))
            << step.name;
        rig.presenter->cmdCopy_Click();
        EXPECT_EQ(rig.view.clipboard.back(),
                  Report::CopyReport({"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses[0],
                                     Captions(now), RowsText(now)))
            << step.name;
        // About opens while the step still blocks.
        rig.presenter->cmdAbout_Click();
        EXPECT_EQ(rig.view.abouts, 1) << step.name;
        EXPECT_TRUE(rig.presenter->isLoading()) << step.name;

        gate.open();
        rig.settle();
        // None of it changed what the load went on to show.
        EXPECT_EQ(Shown(rig.record()), Shown(reference.record())) << step.name;
        EXPECT_EQ(rig.internet.checks, 1) << step.name;
        EXPECT_EQ(rig.internet.fetches, 1) << step.name;
    }
}

TEST(MainPresenterWhileLoading, CloseDuringEachBlockingStepEndsTheLoadThere) {
    for (const Step& step : kSteps) {
        Rig rig;
        Neighbourhood(rig);
        fakes::Gate& gate = step.gate(rig);
        ASSERT_TRUE(rig.loadHeldAt(gate)) << step.name;
        const std::string before = Shown(rig.record());

        rig.presenter->cmdClose_Click();
        EXPECT_EQ(rig.ended, 1) << step.name;
        EXPECT_EQ(rig.view.unloads, 1) << step.name;
        // The step still inside its call finishes unseen: nothing changes, nothing breaks.
        gate.open();
        EXPECT_TRUE(rig.until([] { return Background::WaitIdle(std::chrono::milliseconds(0)); }))
            << step.name;
        rig.loop.RunUntil([] { return false; }, std::chrono::milliseconds(20));
        EXPECT_EQ(Shown(rig.record()), before) << step.name;
        EXPECT_EQ(rig.record().status, "Status : Getting Information . . .") << step.name;
    }
}

// A row appears once its place in walk order is final, before its address is known.
TEST(MainPresenterWhileLoading, RowsAppearInTheirFinalOrderAndAddressesWhenFound) {
    Rig rig;
    Neighbourhood(rig);
    // OTHER's servers are known first, but come after WORKGROUP's in walk order.
    fakes::Gate& first = rig.provider.gates["WORKGROUP"];
    rig.resolver.gate.shut();
    ASSERT_TRUE(rig.loadHeldAt(first));
    ASSERT_TRUE(rig.until([&] { return rig.provider.opens() >= 3; }));
    EXPECT_TRUE(rig.record().rows.empty());

    first.open();
    ASSERT_TRUE(rig.until([&] { return rig.record().rows.size() == 3; }));
    EXPECT_EQ(rig.rows(), (std::vector<std::string>{"ALPHA - ", "BRAVO - ", "CHARLIE - "}));
    EXPECT_TRUE(rig.record().busy);

    rig.resolver.gate.open();
    rig.settle();
    EXPECT_EQ(rig.rows(),
              (std::vector<std::string>{"ALPHA - 10.0.0.1", "BRAVO - ", "CHARLIE - 10.0.0.3"}));
    EXPECT_FALSE(rig.record().busy);
}
