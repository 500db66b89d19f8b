#include "about/frmAbout.h"
#include "report/Report.h"
#include "tests/support/MainWindowRig.h"
#include "ui/BuildConfig.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

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

QTEST_MAIN(tst_frmMainWhileLoading)
#include "tst_frmMainWhileLoading.moc"
