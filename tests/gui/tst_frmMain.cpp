// The main window as a Qt view: its controls, and that it shows the presenter's record and
// hands clicks to it. The logic itself is tested without any window (tests/unit/presenter).
#include "logic/config/BuildConfig.h"
#include "logic/report/Report.h"
#include "shell/Report.h"
#include "tests/support/MainWindowRig.h"

#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using Rig = fakes::MainWindowRig;

namespace {

void Servers(fakes::Provider& provider, std::initializer_list<const char*> names) {
    provider.children[""] = {fakes::Resource(platform::net::kDisplayDomain, "WORKGROUP", true)};
    auto& servers = provider.children["WORKGROUP"];
    servers.clear();
    for (const char* name : names) {
        servers.push_back(fakes::Resource(platform::net::kDisplayServer, name, false));
    }
}

QStringList Column(QTreeWidget* list, int column) {
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

} // namespace

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void controlsAreLaidOutInTwipsAtFifteenPerPixel_data();
    void controlsAreLaidOutInTwipsAtFifteenPerPixel();
    void windowIsFixedCentredAndTitled();
    void hiddenControlsStayOutOfReach();
    void focusOrderAndAccessKeys();
    void listHasTwoReportColumns();
    void selfSizingLabelsGrowToTheRight();

    void theRecordIsShownAsItChanges();
    void clicksReachTheirHandlers();
    void saveGoesThroughTheDialogIntoTheFile();
    void theCommandLineReportIsWhatSaveWrites();
    void closeEndsTheProgram();
};

void tst_frmMain::controlsAreLaidOutInTwipsAtFifteenPerPixel_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("autoSize");
    auto row = [](const char* name, const char* text, QRect geometry, bool autoSize = false) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(text) << geometry
                            << autoSize;
    };
    row("Label1", "", QRect(0, 0, 383, 73));
    row("Image1", "", QRect(16, 12, 48, 48));
    row("Image2", "", QRect(312, 12, 48, 48));
    row("Label2", "Internet and Network IP Address", QRect(93, 26, 191, 16), true);
    row("lblStatus", "", QRect(0, 53, 383, 17));
    row("lblLHost", "Local Host : ", QRect(40, 24, 60, 13), true);
    row("lblLIP", "Local IP: ", QRect(40, 53, 45, 13), true);
    row("lblExtIP", "Internet IP: ", QRect(40, 82, 55, 13), true);
    row("lblISP", "Host: ", QRect(40, 112, 28, 13), true);
    row("lblAnswer", "Network", QRect(40, 141, 40, 13), true);
    row("cmdRefresh2", "R&efresh", QRect(8, 368, 73, 23));
    row("cmdSave", "&Save", QRect(104, 368, 73, 23));
    row("cmdAbout", "&About", QRect(200, 368, 73, 23));
    row("cmdClose", "&Close", QRect(296, 368, 73, 23));
    row("cmdReset", "&Reset", QRect(-8, 528, 73, 23));
    row("cmdCopy", "&Copy", QRect(176, 560, 73, 23));
    row("cmdRefresh", "Get Network IPs", QRect(264, 560, 89, 25));
    row("Command1", "Command1", QRect(344, 560, 33, 17));
    row("txtInfo", "", QRect(144, 408, 137, 83));
}

void tst_frmMain::controlsAreLaidOutInTwipsAtFifteenPerPixel() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, geometry);
    QFETCH(bool, autoSize);
    Rig rig;
    rig.make();
    QWidget* control = rig.get(name.toLatin1().constData());
    QCOMPARE(control->pos(), geometry.topLeft());
    QCOMPARE(control->height(), geometry.height());
    if (autoSize) {
        QVERIFY(control->width() > 0);
    } else {
        QCOMPARE(control->width(), geometry.width());
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        QCOMPARE(button->text(), text);
    }
    const bool inFrame =
        name.startsWith(QLatin1String("lbl")) && name != QLatin1String("lblStatus");
    QCOMPARE(control->parentWidget()->objectName(),
             inFrame ? QStringLiteral("Frame1") : QStringLiteral("frmMain"));
}

void tst_frmMain::windowIsFixedCentredAndTitled() {
    Rig rig;
    frmMain& window = rig.load();
    QCOMPARE(window.windowTitle(), QStringLiteral("Velnor"));
    QCOMPARE(window.size(), QSize(378, 396));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!window.windowIcon().isNull());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((window.frameGeometry().center() - screenCentre).manhattanLength() <= 1);

    auto* frame = rig.get<QGroupBox>("Frame1");
    QCOMPARE(frame->title(), QStringLiteral("Internet Information "));
    QCOMPARE(frame->geometry(), QRect(8, 80, 361, 281));
    QCOMPARE(rig.get("Label2")->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QCOMPARE(rig.get("lblStatus")->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QCOMPARE(rig.get("lblExtIP")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    QCOMPARE(rig.get("Label2")->font().pointSizeF(), 9.75);
    QCOMPARE(rig.get("cmdSave")->font().pointSizeF(), 8.25);
    QVERIFY(rig.get("Label1")->palette().color(QPalette::Window) ==
            rig.get("Label1")->palette().color(QPalette::Base));
    QCOMPARE(rig.get("cmdCopy")->toolTip(),
             QStringLiteral(" Copy Received Information to Clipboard "));
}

void tst_frmMain::hiddenControlsStayOutOfReach() {
    Rig rig;
    frmMain& window = rig.load();
    for (const char* name : {"cmdReset", "cmdCopy", "cmdRefresh", "Command1", "txtInfo"}) {
        QWidget* control = rig.get(name);
        QVERIFY2(!window.rect().intersects(control->geometry()), name);
        QCOMPARE(control->focusPolicy(), Qt::NoFocus);
    }
}

void tst_frmMain::focusOrderAndAccessKeys() {
    Rig rig;
    frmMain& window = rig.load();
    QStringList order;
    QWidget* widget = rig.get("cmdRefresh2");
    for (int i = 0; i < 5; ++i) {
        order << widget->objectName();
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&window) ||
                 widget->objectName().isEmpty());
    }
    QCOMPARE(order, QStringList({"cmdRefresh2", "cmdSave", "cmdAbout", "cmdClose", "lstPCList"}));
    QCOMPARE(rig.get<QPushButton>("cmdClose")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_C));
    QCOMPARE(rig.get<QPushButton>("cmdRefresh2")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_E));
    // The hidden "&Copy" must not take Alt+C away from "&Close".
    QVERIFY(rig.get<QPushButton>("cmdCopy")->shortcut().isEmpty());
    QVERIFY(rig.get<QPushButton>("cmdReset")->shortcut().isEmpty());
}

void tst_frmMain::listHasTwoReportColumns() {
    Rig rig;
    rig.make();
    QTreeWidget* list = rig.list();
    QCOMPARE(list->geometry(), QRect(8, 160, 345, 113));
    QCOMPARE(list->columnCount(), 2);
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Network PC"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Network IP"));
    QCOMPARE(list->columnWidth(0), 167);
    QCOMPARE(list->columnWidth(1), 167);
    QVERIFY(!list->rootIsDecorated());
    QCOMPARE(list->topLevelItemCount(), 0);
}

void tst_frmMain::selfSizingLabelsGrowToTheRight() {
    Rig rig;
    rig.internet.body = "<b>Host: " + std::string(300, 'h') + ".example</b>";
    rig.load();
    QLabel* host = rig.get<QLabel>("lblISP");
    QCOMPARE(host->pos(), QPoint(40, 112));
    QCOMPARE(host->height(), 13);
    // Wider than the frame: the frame clips it.
    QVERIFY(host->width() > rig.get("Frame1")->width());
    QVERIFY(rig.get("lblLIP")->width() > 45);
}

// Every caption, the rows with their icons and addresses, the scratch text and the busy
// pointer, as the record holds them; names that are not UTF-8 show with a replacement.
void tst_frmMain::theRecordIsShownAsItChanges() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\M\xFCl"});
    rig.resolver.add("ALPHA", {10, 231, 0, 1});
    fakes::Gate& walk = rig.provider.gates["WORKGROUP"];
    walk.shut();
    rig.make();
    rig.presenter->Form_Load();
    QVERIFY(rig.until([&] { return walk.arrived() == 1; }));
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.window->cursor().shape(), Qt::WaitCursor);
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Getting Information . . ."));
    walk.open();
    rig.settle();
    const MainRecord& record = rig.presenter->record();
    const std::pair<const char*, const std::string*> labels[] = {
        {"lblStatus", &record.status},    {"lblLHost", &record.localHost},
        {"lblLIP", &record.localIP},      {"lblExtIP", &record.externalIP},
        {"lblISP", &record.externalHost}, {"lblAnswer", &record.network},
    };
    for (const auto& [name, caption] : labels) {
        QCOMPARE(rig.text(name), QString::fromStdString(*caption));
    }
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Information Retrieved"));
    QCOMPARE(Column(rig.list(), 0), QStringList({"ALPHA", u"M\uFFFDl"_qs}));
    QCOMPARE(Column(rig.list(), 1), QStringList({"10.231.0.1", ""}));
    QVERIFY(!rig.list()->topLevelItem(0)->icon(0).isNull());
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QString::fromLatin1(Rig::kPage));
    QCOMPARE(rig.window->cursor().shape(), Qt::ArrowCursor);

    rig.presenter->cmdReset_Click();
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("External IP: "));
    QCOMPARE(rig.list()->topLevelItemCount(), 0);
    rig.presenter->cmdRefresh2_Click();
    rig.settle();
    QCOMPARE(Column(rig.list(), 0), QStringList({"ALPHA", u"M\uFFFDl"_qs}));
}

// Each button, visible or not, runs its handler.
void tst_frmMain::clicksReachTheirHandlers() {
    Rig rig;
    rig.load();
    QTest::mouseClick(rig.get("cmdReset"), Qt::LeftButton);
    QCOMPARE(rig.text("lblLIP"), QStringLiteral("Local IP: "));
    QTest::mouseClick(rig.get("Command1"), Qt::LeftButton);
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QString());
    QTest::mouseClick(rig.get("cmdRefresh2"), Qt::LeftButton);
    QVERIFY(rig.presenter->isLoading());
    rig.settle();
    QCOMPARE(rig.text("lblLIP"), QStringLiteral("Local IP: 192.168.0.7"));
    QTest::mouseClick(rig.get("cmdRefresh"), Qt::LeftButton);
    rig.settle();
    QCOMPARE(rig.list()->topLevelItemCount(), 0); // no "None Found" outside a load
    QTest::mouseClick(rig.get("cmdCopy"), Qt::LeftButton);
    QVERIFY(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("Network IPs\r\n")));
    QTest::mouseClick(rig.get("cmdAbout"), Qt::LeftButton);
    QWidget* about = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QStringLiteral("frmAbout") && window->isVisible()) {
            about = window;
        }
    }
    QVERIFY(about != nullptr);
    about->close();
}

void tst_frmMain::saveGoesThroughTheDialogIntoTheFile() {
    Rig rig;
    rig.load();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    rig.dialog.answers.push_back(path);
    QTest::mouseClick(rig.get("cmdSave"), Qt::LeftButton);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll().toStdString(),
             Report::SaveReport({"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses,
                                {"Local Host: WORKSTATION-7", "Local IP: 192.168.0.7",
                                 "Internet IP: 203.0.113.7", "Host: dsl-7.isp.example"},
                                "None Found - \r\n"));
    QCOMPARE(rig.dialog.shown.size(), std::size_t{1});
    QCOMPARE(rig.dialog.shown[0].title, QStringLiteral("Save Data as..."));
    QCOMPARE(rig.dialog.shown[0].filter, QStringLiteral("Text File|*.txt|All Files|*.*"));
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QStringLiteral("None Found - \r\n"));

    // A folder that is not there: the message box says why.
    rig.dialog.answers.push_back(dir.filePath(QStringLiteral("missing/report.txt")));
    rig.presenter->cmdSave_Click();
    QCOMPARE(rig.messages.shown.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(rig.messages.shown[0])
                .startsWith(QStringLiteral("The report could not be saved to")));
}

// --report: the same load without any window, and the same bytes as Save.
void tst_frmMain::theCommandLineReportIsWhatSaveWrites() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
    rig.resolver.add("ALPHA", {10, 231, 0, 1});
    rig.load();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.txt"));
    rig.dialog.answers.push_back(path);
    rig.presenter->cmdSave_Click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string saved = file.readAll().toStdString();
    QVERIFY(saved.find("ALPHA - 10.231.0.1\r\nBRAVO - \r\n") != std::string::npos);
    QCOMPARE(GatherReport(rig.services, rig.messages, InternetAddress::RoadOf("")), saved);
}

void tst_frmMain::closeEndsTheProgram() {
    Rig rig;
    rig.load();
    QTest::mouseClick(rig.get("cmdClose"), Qt::LeftButton);
    QCOMPARE(rig.ended, 1);
    QVERIFY(rig.presenter->isUnloaded());
    QVERIFY(!rig.window->isVisible());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
