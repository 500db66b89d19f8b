#include "shell/Program.h"
#include "views/qt/frmMain.h"
#include "logic/report/Report.h"
#include "tests/support/MainWindowRig.h"
#include "logic/config/BuildConfig.h"

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

#include <unistd.h>

#include <algorithm>

namespace {

const char* const kPage = fakes::MainWindowRig::kPage;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

using Rig = fakes::MainWindowRig;

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void controlsAreLaidOutInTwipsAtFifteenPerPixel_data();
    void controlsAreLaidOutInTwipsAtFifteenPerPixel();
    void windowIsFixedCentredAndTitled();
    void hiddenControlsStayOutOfReach();
    void focusOrderAndAccessKeys();
    void listHasTwoReportColumns();

    void connectedRunFillsEveryLabel();
    void notConnectedRunKeepsTheDesignTimeHost();
    void withoutAnAddressPageStunAndTheReverseNameTell();
    void missingMarkersOrAnEmptyPageLeaveBarePrefixes_data();
    void missingMarkersOrAnEmptyPageLeaveBarePrefixes();
    void rerunWithoutInternetKeepsTheEarlierHostAndOneNoneFoundRow();
    void networkMetricReadsOnlyTheBitOfValueTwo_data();
    void networkMetricReadsOnlyTheBitOfValueTwo();
    void aFailingConnectivityTestGoesOnWithTheFetch();
    void pageValuesAreShownAsPlainText();
    void hostilePageTextReachesNoLabelOrReportLine();
    void selfSizingLabelsGrowToTheRight();

    void saveWritesTheSaveReportExactly();
    void saveOffersTheLastFileAndCancelWritesNothing();
    void saveOverALongerFileLeavesOnlyTheNewReport();
    void aFailedSaveSaysWhyAndKeepsTheOldFile();
    void saveNeverWritesThroughAnotherUsersLink();
    void copyPutsTheCopyReportOnTheClipboard();
    void theCommandLineReportIsWhatSaveWrites();

    void listFillAddsOneRowPerServerWithItsAddress();
    void listFillSkipsDoublesAndShortPartsAndKeepsUnresolvedRows();
    void namesThatAreNotUtf8KeepTheirRowsAndBytes();
    void aFailingWalkLeavesAnEmptyListAndTheNormalPointer();
    void aSecondFillNeverDoublesRows();
    void startUpFailuresAreShownOncePerRow();
    void resetClearsAddressesAndTheListAndTheReportSaysSo();

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

void tst_frmMain::connectedRunFillsEveryLabel() {
    Rig rig;
    rig.load();
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Information Retrieved"));
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: 203.0.113.7"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: dsl-7.isp.example"));
    QCOMPARE(rig.text("lblAnswer"), QStringLiteral("Network is Installed"));
    QCOMPARE(rig.text("lblLIP"), QStringLiteral("Local IP: 192.168.0.7"));
    QCOMPARE(rig.text("lblLHost"), QStringLiteral("Local Host: WORKSTATION-7"));
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QString::fromLatin1(kPage));
    QCOMPARE(rig.list()->topLevelItemCount(), 1);
    QCOMPARE(rig.list()->topLevelItem(0)->text(0), QStringLiteral("None Found"));
    QCOMPARE(rig.list()->topLevelItem(0)->text(1), QString());
    QCOMPARE(rig.internet.checks, 1);
    QCOMPARE(rig.internet.fetches, 1);
    // One address for the test and the fetch.
    QCOMPARE(rig.internet.urls, std::vector<std::string>(2, velnor::AddressPageUrl()));
    QCOMPARE(rig.internet.agent, std::string("vb wininet"));
    QVERIFY(rig.window->isVisible());
    QCOMPARE(rig.window->cursor().shape(), Qt::ArrowCursor);
}

// A build without an address page asks STUN servers and the resolver instead; when no server
// answers, the run is not connected and the host keeps what it showed.
void tst_frmMain::withoutAnAddressPageStunAndTheReverseNameTell() {
    Rig rig;
    rig.stunServers = "stun.test:3478";
    rig.datagrams.hosts["stun.test"] = {{192, 0, 2, 1}};
    rig.datagrams.names[{203, 0, 113, 7}] = "nat-7.isp.example";
    rig.load();
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: 203.0.113.7"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: nat-7.isp.example"));
    QCOMPARE(rig.internet.checks + rig.internet.fetches, 0);
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QString());
    QCOMPARE(rig.datagrams.sent().size(), std::size_t{1});

    rig.datagrams.server = [](const platform::UdpEndpoint&, std::string_view) {
        return std::vector<platform::Datagram>{};
    };
    QTest::mouseClick(rig.get("cmdRefresh2"), Qt::LeftButton);
    rig.settle();
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: Not Connected"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: nat-7.isp.example"));
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Information Retrieved"));
}

void tst_frmMain::notConnectedRunKeepsTheDesignTimeHost() {
    Rig rig;
    rig.internet.connected = false;
    rig.load();
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: Not Connected"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: "));
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QString());
    QCOMPARE(rig.internet.fetches, 0);
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Information Retrieved"));
    QCOMPARE(rig.list()->topLevelItemCount(), 1);
}

void tst_frmMain::missingMarkersOrAnEmptyPageLeaveBarePrefixes_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("host");
    QTest::newRow("empty page") << QString() << "Internet IP: "
                                << "Host: ";
    QTest::newRow("no markers") << "<html><b>Something else</b></html>"
                                << "Internet IP: "
                                << "Host: ";
    QTest::newRow("address only") << "<b>Your IP: 10.0.0.1</b>"
                                  << "Internet IP: 10.0.0.1"
                                  << "Host: ";
    QTest::newRow("host only, no end marker") << "<b>Host: a.example</b><b>Your IP: 10.0.0.1"
                                              << "Internet IP: "
                                              << "Host: a.example";
}

void tst_frmMain::missingMarkersOrAnEmptyPageLeaveBarePrefixes() {
    QFETCH(QString, page);
    QFETCH(QString, ip);
    QFETCH(QString, host);
    Rig rig;
    rig.internet.body = page.toStdString();
    rig.load();
    QCOMPARE(rig.text("lblExtIP"), ip);
    QCOMPARE(rig.text("lblISP"), host);
}

void tst_frmMain::rerunWithoutInternetKeepsTheEarlierHostAndOneNoneFoundRow() {
    Rig rig;
    rig.load();
    rig.internet.connected = false;
    rig.computer.ip = "10.1.1.1";
    QTest::mouseClick(rig.get("cmdRefresh2"), Qt::LeftButton);
    rig.settle();
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: Not Connected"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: dsl-7.isp.example"));
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QString::fromLatin1(kPage));
    QCOMPARE(rig.text("lblLIP"), QStringLiteral("Local IP: 10.1.1.1"));
    QCOMPARE(rig.list()->topLevelItemCount(), 1);
    QCOMPARE(rig.internet.checks, 2);
}

void tst_frmMain::networkMetricReadsOnlyTheBitOfValueTwo_data() {
    QTest::addColumn<int>("metric");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "Network is not Installed";
    QTest::newRow("1") << 1 << "Network is not Installed";
    QTest::newRow("2") << 2 << "Network is Installed";
    QTest::newRow("3") << 3 << "Network is Installed";
    QTest::newRow("-1") << -1 << "Network is Installed";
    QTest::newRow("-3") << -3 << "Network is not Installed";
}

void tst_frmMain::networkMetricReadsOnlyTheBitOfValueTwo() {
    QFETCH(int, metric);
    QFETCH(QString, text);
    Rig rig;
    rig.metrics.value = metric;
    rig.load();
    QCOMPARE(rig.text("lblAnswer"), text);
}

void tst_frmMain::aFailingConnectivityTestGoesOnWithTheFetch() {
    Rig rig;
    rig.internet.throwOnCheck = true;
    rig.load();
    QCOMPARE(rig.internet.fetches, 1);
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: 203.0.113.7"));
    QCOMPARE(rig.text("lblStatus"), QStringLiteral("Status : Information Retrieved"));
}

void tst_frmMain::pageValuesAreShownAsPlainText() {
    Rig rig;
    rig.internet.body = "<b>Your IP: <img src=x>&amp;</b><b>Host: <i>evil</i></b>";
    rig.load();
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("Internet IP: <img src=x>&amp;"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: <i>evil</i>"));
    QCOMPARE(rig.get<QLabel>("lblISP")->textFormat(), Qt::PlainText);
}

// Whoever serves the page decides its bytes: none of them may start a line of the report,
// drive a terminal or turn text around.
void tst_frmMain::hostilePageTextReachesNoLabelOrReportLine() {
    Rig rig;
    rig.internet.body = "<b>Your IP: 203.0.113.7\r\nInjected: 1\x1B]0;title\x07\x1B[2J</b>"
                        "<b>Host: evil\xE2\x80\xAEgpj\xE2\x80\x8B\xFF.example</b>";
    rig.load();
    QCOMPARE(rig.text("lblExtIP"),
             QStringLiteral("Internet IP: 203.0.113.7Injected: 1]0;title[2J"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: evilgpj\uFFFD.example"));
    for (const char* label : {"lblExtIP", "lblISP"}) {
        const QString shown = rig.text(label);
        QVERIFY(std::none_of(shown.begin(), shown.end(), [](QChar c) {
            return c.category() == QChar::Other_Control || c.category() == QChar::Other_Format;
        }));
    }
    QTemporaryDir dir;
    const std::string saved = rig.saveAs(dir.filePath(QStringLiteral("report.txt")));
    // The report's own lines, each ending in CR LF, and no other control byte.
    QCOMPARE(std::count(saved.begin(), saved.end(), '\n'), 14);
    for (std::size_t i = 0; i < saved.size(); ++i) {
        const auto byte = static_cast<unsigned char>(saved[i]);
        const bool lineEnd = (byte == '\r' && saved[i + 1] == '\n') ||
                             (byte == '\n' && i > 0 && saved[i - 1] == '\r');
        QVERIFY2(byte >= 0x20 || lineEnd, qPrintable(QString::number(i)));
    }
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

void tst_frmMain::saveWritesTheSaveReportExactly() {
    Rig rig;
    rig.load();
    QTemporaryDir dir;
    const std::string saved = rig.saveAs(dir.filePath(QStringLiteral("report.txt")));
    const std::string expected =
        Report::SaveReport({"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses,
                           {"Local Host: WORKSTATION-7", "Local IP: 192.168.0.7",
                            "Internet IP: 203.0.113.7", "Host: dsl-7.isp.example"},
                           "None Found - \r\n");
    QCOMPARE(saved, expected);
    QVERIFY(expected.starts_with(
        "File created by Brantel's Velnor on 12/7/2026 at 7:05:09 AM\r\n\r\n"));
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(), QStringLiteral("None Found - \r\n"));
    QCOMPARE(rig.clock.reads, (std::vector<char>{'d', 't'}));
    QCOMPARE(rig.dialog.shown.size(), std::size_t{1});
    QCOMPARE(rig.dialog.shown[0].title, QStringLiteral("Save Data as..."));
    QCOMPARE(rig.dialog.shown[0].filter, QStringLiteral("Text File|*.txt|All Files|*.*"));
    QVERIFY(rig.messages.shown.empty());
}

void tst_frmMain::saveOffersTheLastFileAndCancelWritesNothing() {
    Rig rig;
    rig.load();
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.txt"));
    rig.dialog.answers = {first, std::nullopt};
    rig.window->cmdSave_Click();
    QVERIFY(QFile::remove(first));
    rig.window->cmdSave_Click();
    QCOMPARE(rig.dialog.shown.size(), std::size_t{2});
    QCOMPARE(rig.dialog.shown[1].fileName, first);
    QVERIFY(!QFile::exists(first));
    QVERIFY(rig.messages.shown.empty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void tst_frmMain::saveOverALongerFileLeavesOnlyTheNewReport() {
    Rig rig;
    rig.load();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.txt"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'z'));
    old.close();
    rig.dialog.answers.push_back(path);
    rig.window->cmdSave_Click();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY(!written.contains('z'));
    QVERIFY(written.endsWith("Network IPs\r\nNone Found - \r\n"));
}

void tst_frmMain::aFailedSaveSaysWhyAndKeepsTheOldFile() {
    Rig rig;
    rig.load();
    QTemporaryDir dir;
    rig.dialog.answers.push_back(dir.filePath(QStringLiteral("missing/folder/report.txt")));
    rig.window->cmdSave_Click();
    QCOMPARE(rig.messages.shown.size(), std::size_t{1});
    QVERIFY(
        Q(rig.messages.shown[0]).startsWith(QStringLiteral("The report could not be saved to")));
    QVERIFY(Q(rig.messages.shown[0]).contains(QStringLiteral("missing/folder/report.txt")));

    // A folder where the file should be: the folder and its content stay as they were.
    const QString taken = dir.filePath(QStringLiteral("taken"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken")));
    QFile keep(taken + QStringLiteral("/keep.txt"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.write("kept");
    keep.close();
    rig.dialog.answers.push_back(taken);
    rig.window->cmdSave_Click();
    QCOMPARE(rig.messages.shown.size(), std::size_t{2});
    QVERIFY(keep.open(QIODevice::ReadOnly));
    QCOMPARE(keep.readAll(), QByteArray("kept"));
}

// A link planted in a shared folder must not have the report replace what it points to.
void tst_frmMain::saveNeverWritesThroughAnotherUsersLink() {
    Rig rig;
    rig.load();
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("precious.txt"));
    const QString link = dir.filePath(QStringLiteral("report.txt"));
    QFile precious(target);
    QVERIFY(precious.open(QIODevice::WriteOnly));
    precious.write("precious");
    precious.close();
    QVERIFY(QFile::link(target, link));
    if (lchown(QFile::encodeName(link).constData(), 65534, 65534) != 0) {
        QSKIP("needs root, to give the link to another user");
    }
    rig.dialog.answers.push_back(link);
    rig.window->cmdSave_Click();
    QCOMPARE(rig.messages.shown.size(), std::size_t{1});
    QVERIFY(Q(rig.messages.shown[0]).contains(QStringLiteral("belongs to another user")));
    QVERIFY(precious.open(QIODevice::ReadOnly));
    QCOMPARE(precious.readAll(), QByteArray("precious"));
    precious.close();
    QVERIFY(QFileInfo(link).isSymLink());

    // The user's own link (or root's) is written through, as ever.
    QCOMPARE(lchown(QFile::encodeName(link).constData(), geteuid(), getegid()), 0);
    rig.dialog.answers.push_back(link);
    rig.window->cmdSave_Click();
    QCOMPARE(rig.messages.shown.size(), std::size_t{1});
    QVERIFY(precious.open(QIODevice::ReadOnly));
    QVERIFY(precious.readAll().startsWith("File created by"));
}

void tst_frmMain::copyPutsTheCopyReportOnTheClipboard() {
    Rig rig;
    rig.load();
    QTest::mouseClick(rig.get("cmdRefresh2"), Qt::LeftButton);
    rig.settle();
    rig.window->cmdCopy_Click();
    const std::string expected = Report::CopyReport(
        {"12/7/2026", "7:05:09 AM"}, velnor::kWebAddresses[0],
        {"Local Host: WORKSTATION-7", "Local IP: 192.168.0.7", "Internet IP: 203.0.113.7", ""},
        "None Found - \r\n");
    QCOMPARE(QGuiApplication::clipboard()->text().toStdString(), expected);
    QCOMPARE(rig.clock.reads, (std::vector<char>{'d', 't'}));
}

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

// --report: the same load, never shown, and the same bytes as Save, for the same services.
void tst_frmMain::theCommandLineReportIsWhatSaveWrites() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
    rig.resolver.add("ALPHA", {10, 231, 0, 1});
    rig.load();
    QTemporaryDir dir;
    const std::string saved = rig.saveAs(dir.filePath(QStringLiteral("report.txt")));
    QVERIFY(saved.find("ALPHA - 10.231.0.1\r\nBRAVO - \r\n") != std::string::npos);

    const std::string printed =
        GatherReport(rig.services, {rig.messages, rig.dialog, rig.clock, {}, rig.stunServers});
    QCOMPARE(printed, saved);
}

void tst_frmMain::listFillAddsOneRowPerServerWithItsAddress() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
    rig.resolver.add("ALPHA", {10, 231, 0, 1});
    rig.resolver.add("BRAVO", {10, 231, 0, 2});
    fakes::Gate& walk = rig.provider.gates["WORKGROUP"];
    walk.shut();
    rig.make().Load();
    QVERIFY(rig.until([&] { return walk.arrived() == 1; }));
    QCOMPARE(rig.window->cursor().shape(), Qt::WaitCursor);
    walk.open();
    rig.settle();
    QCOMPARE(Column(rig.list(), 0), QStringList({"ALPHA", "BRAVO"}));
    QCOMPARE(Column(rig.list(), 1), QStringList({"10.231.0.1", "10.231.0.2"}));
    QCOMPARE(rig.list()->topLevelItem(0)->data(0, Qt::UserRole).toString(),
             QStringLiteral("KEY_ALPHA"));
    QCOMPARE(rig.list()->topLevelItem(1)->data(0, Qt::UserRole).toString(),
             QStringLiteral("KEY_BRAVO"));
    QVERIFY(!rig.list()->topLevelItem(0)->icon(0).isNull());
    QCOMPARE(rig.window->cursor().shape(), Qt::ArrowCursor);
    // Every open of the walk asks for any type of resource.
    for (const auto& open : rig.provider.opened) {
        QCOMPARE(open.type, 0);
    }
    // Looked up at once, each once.
    std::sort(rig.resolver.looked.begin(), rig.resolver.looked.end());
    QCOMPARE(rig.resolver.looked, (std::vector<std::string>{"ALPHA", "BRAVO"}));
}

void tst_frmMain::listFillSkipsDoublesAndShortPartsAndKeepsUnresolvedRows() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\", "XY", "\\\\GHOST", "\\\\ALPHA", "\\\\B"});
    rig.resolver.add("ALPHA", {10, 0, 0, 1});
    rig.resolver.add("B", {10, 0, 0, 2});
    rig.load();
    QCOMPARE(Column(rig.list(), 0), QStringList({"ALPHA", "GHOST", "B"}));
    QCOMPARE(Column(rig.list(), 1), QStringList({"10.0.0.1", "", "10.0.0.2"}));
    // The second ALPHA was never resolved: its row could not be added.
    std::sort(rig.resolver.looked.begin(), rig.resolver.looked.end());
    QCOMPARE(rig.resolver.looked, (std::vector<std::string>{"ALPHA", "B", "GHOST"}));
    rig.window->cmdSave_Click(); // no dialog answer: cancelled
    QCOMPARE(rig.get<QLineEdit>("txtInfo")->text(),
             QStringLiteral("ALPHA - 10.0.0.1\r\nGHOST - \r\nB - 10.0.0.2\r\n"));
}

void tst_frmMain::namesThatAreNotUtf8KeepTheirRowsAndBytes() {
    Rig rig;
    // Latin-1 "Mül" and "Mýl": both show as "M\uFFFDl".
    Servers(rig.provider, {"\\\\M\xFCl", "\\\\M\xFDl", "\\\\M\xC3\xBCl"});
    rig.resolver.add("M\xFCl", {10, 0, 0, 1});
    rig.resolver.add("M\xFDl", {10, 0, 0, 2});
    rig.resolver.add("M\xC3\xBCl", {10, 0, 0, 3});
    rig.load();
    QCOMPARE(Column(rig.list(), 0), QStringList({u"M\uFFFDl"_qs, u"M\uFFFDl"_qs, u"Mül"_qs}));
    QCOMPARE(Column(rig.list(), 1), QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
    QTemporaryDir dir;
    const std::string saved = rig.saveAs(dir.filePath(QStringLiteral("report.txt")));
    QVERIFY(saved.ends_with("M\xFCl - 10.0.0.1\r\nM\xFDl - 10.0.0.2\r\nM\xC3\xBCl - 10.0.0.3\r\n"));
}

void tst_frmMain::aFailingWalkLeavesAnEmptyListAndTheNormalPointer() {
    Rig rig;
    rig.provider.rootFails = true;
    rig.load();
    QCOMPARE(Column(rig.list(), 0), QStringList({"None Found"}));
    QCOMPARE(rig.window->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(rig.get("cmdRefresh"), Qt::LeftButton); // out of sight, clicked directly
    rig.settle();
    QCOMPARE(rig.list()->topLevelItemCount(), 0);
    QCOMPARE(rig.window->cursor().shape(), Qt::ArrowCursor);
}

void tst_frmMain::aSecondFillNeverDoublesRows() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
    rig.load();
    QTest::mouseClick(rig.get("cmdRefresh2"), Qt::LeftButton);
    rig.window->cmdRefresh_Click();
    rig.settle();
    rig.window->cmdRefresh_Click();
    rig.settle();
    QCOMPARE(Column(rig.list(), 0), QStringList({"ALPHA", "BRAVO"}));
}

void tst_frmMain::startUpFailuresAreShownOncePerRow() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA", "\\\\BRAVO"});
    rig.resolver.started.result = 10091;
    rig.load();
    QCOMPARE(Column(rig.list(), 1), QStringList({"", ""}));
    QCOMPARE(rig.messages.shown,
             std::vector<std::string>(2, "The 32-bit Windows Socket is not responding."));
}

void tst_frmMain::resetClearsAddressesAndTheListAndTheReportSaysSo() {
    Rig rig;
    Servers(rig.provider, {"\\\\ALPHA"});
    rig.load();
    QTest::mouseClick(rig.get("cmdReset"), Qt::LeftButton);
    QCOMPARE(rig.text("lblLIP"), QStringLiteral("Local IP: "));
    QCOMPARE(rig.text("lblExtIP"), QStringLiteral("External IP: "));
    QCOMPARE(rig.text("lblLHost"), QStringLiteral("Local Host: WORKSTATION-7"));
    QCOMPARE(rig.text("lblISP"), QStringLiteral("Host: dsl-7.isp.example"));
    QCOMPARE(rig.list()->topLevelItemCount(), 0);
    rig.window->cmdCopy_Click();
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY(copied.endsWith(QStringLiteral("\r\nLocal Host: WORKSTATION-7\r\nLocal IP: \r\n"
                                           "External IP: \r\n\r\nNetwork IPs\r\n")));
}

void tst_frmMain::closeEndsTheProgram() {
    Rig rig;
    rig.load();
    QTest::mouseClick(rig.get("cmdClose"), Qt::LeftButton);
    QCOMPARE(rig.ended, 1);
    QVERIFY(rig.window->isUnloaded());
    QVERIFY(!rig.window->isVisible());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
