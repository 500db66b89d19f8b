#include "views/qt/frmAbout.h"
#include "neighbourhood/DiscoveryProvider.h"
#include "neighbourhood/RouterProvider.h"
#include "logic/report/Report.h"
#include "tests/support/MainWindowRig.h"
#include "logic/config/BuildConfig.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

using Rig = fakes::MainWindowRig;

namespace {

// A blocking step of the load: the gate that holds it in the rig.
using Hold = std::function<fakes::Gate&(Rig&)>;

void Steps() {
    QTest::addColumn<Hold>("hold");
    QTest::newRow("connectivity test")
        << Hold([](Rig& rig) -> fakes::Gate& { return rig.internet.checkGate; });
    QTest::newRow("page fetch") << Hold(
        [](Rig& rig) -> fakes::Gate& { return rig.internet.fetchGate; });
    QTest::newRow("walk") << Hold(
        [](Rig& rig) -> fakes::Gate& { return rig.provider.gates["WORKGROUP"]; });
    QTest::newRow("lookup") << Hold([](Rig& rig) -> fakes::Gate& { return rig.resolver.gate; });
}

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

// Everything the window shows, as one text.
QString Shown(Rig& rig) {
    QString shown;
    for (const char* label :
         {"lblStatus", "lblExtIP", "lblISP", "lblAnswer", "lblLIP", "lblLHost"}) {
        shown += rig.text(label) + QLatin1Char('\n');
    }
    for (int i = 0; i < rig.list()->topLevelItemCount(); ++i) {
        shown += rig.list()->topLevelItem(i)->text(0) + QStringLiteral(" - ") +
                 rig.list()->topLevelItem(i)->text(1) + QLatin1Char('\n');
    }
    return shown;
}

Report::Captions Captions(Rig& rig) {
    return {rig.text("lblLHost").toStdString(), rig.text("lblLIP").toStdString(),
            rig.text("lblExtIP").toStdString(), rig.text("lblISP").toStdString()};
}

std::string Rows(Rig& rig) {
    std::vector<Report::Row> rows;
    for (int i = 0; i < rig.list()->topLevelItemCount(); ++i) {
        rows.push_back({rig.list()->topLevelItem(i)->text(0).toStdString(),
                        rig.list()->topLevelItem(i)->text(1).toStdString()});
    }
    return Report::RowsText(rows, 2);
}

int AboutWindows() {
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        count += qobject_cast<frmAbout*>(window) != nullptr && window->isVisible() ? 1 : 0;
    }
    return count;
}

} // namespace

class tst_frmMainWhileLoading : public QObject {
    Q_OBJECT

private slots:
    void clicksDuringEachBlockingStepAreAnsweredAtOnce_data() { Steps(); }
    void clicksDuringEachBlockingStepAreAnsweredAtOnce();
    void closeDuringEachBlockingStepEndsTheLoadThere_data() { Steps(); }
    void closeDuringEachBlockingStepEndsTheLoadThere();
    void rowsAppearInTheirFinalOrderAndAddressesWhenFound();
    void eachLoadTakesTheRoundOfDiscoveryItBegan();
};

void tst_frmMainWhileLoading::clicksDuringEachBlockingStepAreAnsweredAtOnce() {
    QFETCH(Hold, hold);
    Rig reference;
    Neighbourhood(reference);
    reference.load();

    Rig rig;
    Neighbourhood(rig);
    fakes::Gate& gate = hold(rig);
    QVERIFY(rig.loadHeldAt(gate));
    QVERIFY(rig.window->isLoading());

    // Refresh starts no second load.
    QTest::mouseClick(rig.get("cmdRefresh2"), Qt::LeftButton);
    // Save and Copy report what the window shows now.
    QTemporaryDir dir;
    QCOMPARE(rig.saveAs(dir.filePath(QStringLiteral("during.txt"))),
             Report::SaveReport({"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses, Captions(rig),
                                Rows(rig)));
    rig.window->cmdCopy_Click();
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(),
             Report::CopyReport({"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses[0],
                                Captions(rig), Rows(rig)));
    // About opens while the step still blocks.
    QTest::mouseClick(rig.get("cmdAbout"), Qt::LeftButton);
    QCOMPARE(AboutWindows(), 1);
    QVERIFY(rig.window->isLoading());

    gate.open();
    rig.settle();
    // None of it changed what the load went on to show.
    QCOMPARE(Shown(rig), Shown(reference));
    QCOMPARE(rig.internet.checks, 1);
    QCOMPARE(rig.internet.fetches, 1);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmAbout*>(window) != nullptr) {
            window->close();
        }
    }
}

void tst_frmMainWhileLoading::closeDuringEachBlockingStepEndsTheLoadThere() {
    QFETCH(Hold, hold);
    Rig rig;
    Neighbourhood(rig);
    fakes::Gate& gate = hold(rig);
    QVERIFY(rig.loadHeldAt(gate));
    const QString before = Shown(rig);

    QTest::mouseClick(rig.get("cmdClose"), Qt::LeftButton);
    QCOMPARE(rig.ended, 1);
    QVERIFY(!rig.window->isVisible());
    // The step still inside its call finishes unseen: nothing changes, nothing breaks.
    gate.open();
    QVERIFY(rig.until([] { return Background::WaitIdle(std::chrono::milliseconds(0)); }));
    QCoreApplication::processEvents();
    QCOMPARE(Shown(rig), before);
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Getting Information . . ."));
}

void tst_frmMainWhileLoading::rowsAppearInTheirFinalOrderAndAddressesWhenFound() {
    Rig rig;
    Neighbourhood(rig);
    // OTHER's servers are known first, but come after WORKGROUP's in walk order.
    fakes::Gate& first = rig.provider.gates["WORKGROUP"];
    first.shut();
    rig.resolver.gate.shut();
    rig.make();
    // Rows are named after they are inserted: the texts are read at the end.
    QList<QTreeWidgetItem*> appended;
    connect(rig.list()->model(), &QAbstractItemModel::rowsInserted,
            [&](const QModelIndex&, int row, int last) {
                // A row is only ever added at the end.
                QCOMPARE(last, rig.list()->topLevelItemCount() - 1);
                for (; row <= last; ++row) {
                    appended << rig.list()->topLevelItem(row);
                }
            });
    rig.window->Load();
    QVERIFY(rig.until([&] { return first.arrived() > 0; }));
    QVERIFY(rig.until([&] { return rig.provider.opens() >= 3; }));
    QCOMPARE(rig.list()->topLevelItemCount(), 0);

    first.open();
    QVERIFY(rig.until([&] { return rig.list()->topLevelItemCount() == 3; }));
    QStringList names;
    for (const QTreeWidgetItem* item : appended) {
        names << item->text(0);
    }
    QCOMPARE(names, QStringList({"ALPHA", "BRAVO", "CHARLIE"}));
    // Listed before their addresses are known, with the busy pointer.
    QCOMPARE(rig.list()->topLevelItem(0)->text(1), QString());
    QVERIFY(rig.busy());

    rig.resolver.gate.open();
    rig.settle();
    QCOMPARE(Shown(rig).section(QLatin1Char('\n'), 6),
             QStringLiteral("ALPHA - 10.0.0.1\nBRAVO - \nCHARLIE - 10.0.0.3\n"));
    QVERIFY(!rig.busy());
}

namespace {

// The neighbourhood's router, whose preparation comes late: as when the module that holds it
// lets the load's preparation and the walk go at once, and the walk is quicker. Here it waits
// until a walk has read its three containers (the root, the network, the group), or a moment.
class LatePreparation final : public platform::NetworkProvider {
public:
    explicit LatePreparation(platform::NetworkProvider& router) : router_(router) {}
    void Prepare() override {
        {
            std::unique_lock lock(mutex_);
            const int walked = closes_ + 3;
            closed_.wait_for(lock, std::chrono::milliseconds(300),
                             [&] { return closes_ >= walked; });
        }
        router_.Prepare();
    }
    bool MayListServers(const platform::NetResource& container) override {
        return router_.MayListServers(container);
    }
    std::optional<Handle> open(std::int32_t scope, std::int32_t type, std::int32_t usage,
                               const platform::NetResource* parent) override {
        return router_.open(scope, type, usage, parent);
    }
    platform::ReadOutcome read(Handle handle, std::size_t budget) override {
        return router_.read(handle, budget);
    }
    void close(Handle handle) override {
        router_.close(handle);
        const std::lock_guard lock(mutex_);
        ++closes_;
        closed_.notify_all();
    }

private:
    platform::NetworkProvider& router_;
    std::mutex mutex_;
    std::condition_variable closed_;
    int closes_ = 0;
};

} // namespace

// The real router and discovery provider: a load's list shows what the discovery that this
// load began found, never what one that the previous load began found.
void tst_frmMainWhileLoading::eachLoadTakesTheRoundOfDiscoveryItBegan() {
    Rig rig;
    std::atomic<int> load{0};
    neighbourhood::DiscoveredHosts hosts;
    neighbourhood::DiscoveryProvider discovery(
        "Discovered Network", "D",
        [&load](std::chrono::milliseconds, std::stop_token) {
            return std::vector<neighbourhood::DiscoveredComputer>{
                {"LOAD" + std::to_string(load.load()), "GROUP", "", {10, 0, 0, 9}}};
        },
        std::chrono::milliseconds(50), hosts, 1);
    neighbourhood::RouterProvider router({{"D", &discovery}}, rig.resolver, hosts);
    LatePreparation network(router);
    const platform::Services services{rig.internet, rig.datagrams, rig.metrics,  rig.computer,
                                      rig.resolver, network,       rig.computer, rig.registry,
                                      rig.programs, rig.shell};
    {
        frmMain window(services, MainSeams{rig.messages, rig.dialog, rig.clock, {}, {}});
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("lstPCList"));
        for (load = 1; load <= 3; ++load) {
            window.Form_Load(); // as the start and Refresh run it
            QVERIFY(rig.until([&] { return !window.isLoading(); }));
            QCOMPARE(list->topLevelItemCount(), 1);
            QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("LOAD%1").arg(load.load()));
        }
    }
    QVERIFY(Background::WaitIdle(std::chrono::seconds(5)));
}

QTEST_MAIN(tst_frmMainWhileLoading)
#include "tst_frmMainWhileLoading.moc"
