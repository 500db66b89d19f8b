#include "logic/about/OnTop.h"
#include "logic/config/BuildConfig.h"
#include "platform/posix/PosixPrograms.h"
#include "platform/posix/QtShell.h"
#include "platform/posix/RegistryStandIn.h"
#include "tests/support/MainWindowRig.h"
#include "views/qt/frmAbout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using Rig = fakes::MainWindowRig;

namespace {

QList<frmAbout*> AboutWindows() {
    QList<frmAbout*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<frmAbout*>(window)) {
            found << about;
        }
    }
    return found;
}

frmAbout* OpenAbout(Rig& rig) {
    QTest::mouseClick(rig.get("cmdAbout"), Qt::LeftButton);
    const auto windows = AboutWindows();
    return windows.size() == 1 ? windows.front() : nullptr;
}

// The rig's services with real ones in place of the About window's three.
platform::Services With(Rig& rig, platform::Registry& registry, platform::Programs& programs,
                        platform::Shell& shell) {
    return {rig.internet, rig.datagrams, rig.metrics, rig.computer, rig.resolver, rig.provider,
            rig.computer, registry,      programs,    shell,        rig.clock,    rig.files};
}

template <typename T = QWidget> T* Control(frmAbout* about, const char* name) {
    auto* control = about->findChild<T*>(QString::fromLatin1(name));
    if (control == nullptr) {
        qFatal("no control %s", name);
    }
    return control;
}

} // namespace

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qDeleteAll(AboutWindows()); }

    void loadStepsSetCaptionVersionAndTitleOnTop();
    void controlsKeepTheirPlacesAndTips();
    void aboutOpensOneWindowAtMost();
    void escapeLeavesItOpenAndCloseUnloadsIt();
    void linksOpenTheMakersPages();
    void theHandShowsOverTheLinkButtonsOnly();
    void closingTheMainWindowClosesItAndEndsTheProgram();
    void systemInfoStartsTheToolOnThePathOrSaysItIsUnavailable();
    void theDesktopShellKeepsItOnTop();
};

void tst_frmAbout::loadStepsSetCaptionVersionAndTitleOnTop() {
    Rig rig;
    rig.load();
    frmAbout* about = OpenAbout(rig);
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("About Velnor"));
    auto* title = Control<QLabel>(about, "lblTitle");
    auto* version = Control<QLabel>(about, "lblVersion");
    QCOMPARE(title->text(), QStringLiteral("Velnor"));
    QCOMPARE(version->text(), QStringLiteral("Version 2.0.0"));
    for (QLabel* label : {title, version}) {
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(label->font().bold());
        QCOMPARE(label->font().pointSizeF(), 9.75);
    }
    QCOMPARE(rig.shell.stacked.size(), std::size_t{1});
    QVERIFY(rig.shell.stacked[0].second);
    QVERIFY(rig.shell.stacked[0].first != 0);
    QCOMPARE(about->size(), QSize(382, 266));
    QCOMPARE(about->minimumSize(), about->maximumSize());
    QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(about->parentWidget() == nullptr);
    QVERIFY(about->isVisible());
}

void tst_frmAbout::controlsKeepTheirPlacesAndTips() {
    Rig rig;
    rig.load();
    frmAbout* about = OpenAbout(rig);
    QCOMPARE(Control(about, "picIcon")->geometry(), QRect(8, 8, 71, 147));
    QCOMPARE(Control(about, "picIcon")->toolTip(), QStringLiteral("Brantel Software"));
    QCOMPARE(Control(about, "Image1")->geometry(), QRect(312, 8, 48, 48));
    QCOMPARE(Control(about, "Frame1")->geometry(), QRect(8, 160, 273, 97));
    QCOMPARE(Control(about, "lblDisclaimer")->parentWidget()->objectName(),
             QStringLiteral("Frame1"));
    QVERIFY(Control<QLabel>(about, "lblDisclaimer")->wordWrap());
    QVERIFY(Control<QLabel>(about, "lblDisclaimer")->text().contains(QStringLiteral("copyright")));
    QVERIFY(!Control<QLabel>(about, "lblDisclaimer")->text().contains(QStringLiteral("Brantel")));
    QCOMPARE(Control(about, "lblDescription")->parentWidget()->objectName(),
             QStringLiteral("Frame2"));
    const struct {
        const char* name;
        const char* caption;
        const char* tip;
        QRect geometry;
    } buttons[] = {
        {"Command1",
         "&Join the Brantel mailing list",
         "Join our mailing list",
         {104, 136, 153, 23}},
        {"Command2", "&Brantel", "Visit Brantel", {286, 136, 83, 23}},
        {"Command3", "Clos&e", "Close this window", {286, 185, 83, 23}},
        {"Command4", "&System Info", "Info about your computer", {286, 232, 83, 23}},
    };
    for (const auto& expected : buttons) {
        auto* button = Control<QPushButton>(about, expected.name);
        QCOMPARE(button->text(), QString::fromUtf8(expected.caption));
        QCOMPARE(button->toolTip(), QString::fromUtf8(expected.tip));
        QCOMPARE(button->geometry(), expected.geometry);
        QVERIFY(!button->isDefault());
    }
}

void tst_frmAbout::aboutOpensOneWindowAtMost() {
    Rig rig;
    rig.load();
    frmAbout* first = OpenAbout(rig);
    QVERIFY(first);
    QCOMPARE(OpenAbout(rig), first);
    QCOMPARE(AboutWindows().size(), 1);
    // The load steps ran once.
    QCOMPARE(rig.shell.stacked.size(), std::size_t{1});
}

void tst_frmAbout::escapeLeavesItOpenAndCloseUnloadsIt() {
    Rig rig;
    rig.load();
    QPointer<frmAbout> about = OpenAbout(rig);
    QTest::keyClick(about, Qt::Key_Escape);
    QVERIFY(about && about->isVisible());
    QTest::mouseClick(Control(about, "Command3"), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
    // Opened again, it is loaded afresh.
    frmAbout* again = OpenAbout(rig);
    QVERIFY(again);
    QCOMPARE(rig.shell.stacked.size(), std::size_t{2});
    QCOMPARE(Control<QLabel>(again, "lblVersion")->text(), QStringLiteral("Version 2.0.0"));
    QCOMPARE(rig.ended, 0);
}

void tst_frmAbout::linksOpenTheMakersPages() {
    Rig rig;
    rig.load();
    frmAbout* about = OpenAbout(rig);
    QTest::mouseClick(Control(about, "Command1"), Qt::LeftButton);
    QTest::mouseClick(Control(about, "Command2"), Qt::LeftButton);
    QTest::mouseClick(Control(about, "Image1"), Qt::LeftButton);
    QTest::mouseClick(Control(about, "picIcon"), Qt::LeftButton);
    const std::string home = velnor::kWebAddresses[0];
    std::vector<std::string> files;
    for (const auto& call : rig.shell.executed) {
        files.push_back(call.file);
        QCOMPARE(call.operation, std::string("open"));
        QCOMPARE(call.parameters, std::string());
        QCOMPARE(call.show, 1);
        QCOMPARE(call.owner, static_cast<platform::Shell::Window>(about->winId()));
    }
    QCOMPARE(files, (std::vector<std::string>{home + "/Pages/ListBot.html", home, home, home}));
}

void tst_frmAbout::theHandShowsOverTheLinkButtonsOnly() {
    Rig rig;
    rig.load();
    frmAbout* about = OpenAbout(rig);
    for (const char* name : {"Command1", "Command2", "picIcon", "Image1", "Command3"}) {
        QCOMPARE(Control(about, name)->cursor().shape(), Qt::ArrowCursor);
    }
    for (const char* name : {"Command1", "Command2", "picIcon", "Image1", "Command3"}) {
        QWidget* control = Control(about, name);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), control->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control, &move);
    }
    for (const char* name : {"Command1", "Command2"}) {
        const QCursor cursor = Control(about, name)->cursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(), QPoint(6, 0));
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
    }
    for (const char* name : {"picIcon", "Image1", "Command3"}) {
        QCOMPARE(Control(about, name)->cursor().shape(), Qt::ArrowCursor);
    }
}

void tst_frmAbout::closingTheMainWindowClosesItAndEndsTheProgram() {
    Rig rig;
    rig.load();
    QPointer<frmAbout> about = OpenAbout(rig);
    QTest::mouseClick(rig.get("cmdClose"), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
    QCOMPARE(rig.ended, 1);
}

void tst_frmAbout::systemInfoStartsTheToolOnThePathOrSaysItIsUnavailable() {
    // A tool that tells whether it inherited a descriptor the program left open.
    QTemporaryDir bin;
    // High, out of the way of the shell's own (and without close-on-exec).
    const int opened = open("/dev/null", O_RDONLY);
    const int leaked = fcntl(opened, F_DUPFD, 200);
    close(opened);
    QVERIFY(leaked >= 200);
    const QString marker = bin.filePath(QStringLiteral("started"));
    QFile tool(bin.filePath(QStringLiteral("hardinfo")));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(QStringLiteral("#!/bin/sh\n[ -e /proc/$$/fd/%1 ] && echo inherited >'%2' || "
                              "echo alone >'%2'\n")
                   .arg(leaked)
                   .arg(marker)
                   .toUtf8());
    tool.close();
    tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    Rig rig;
    platform::posix::PosixPrograms programs;
    platform::posix::RegistryStandIn withTool(bin.path().toStdString() + ":/nonexistent");
    const platform::Services toolFound = With(rig, withTool, programs, rig.shell);
    frmAbout found(toolFound, rig.messages);
    QTest::mouseClick(Control(&found, "Command4"), Qt::LeftButton);
    const auto told = [&marker] {
        QFile started(marker);
        return started.open(QIODevice::ReadOnly) ? started.readAll() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(told(), QByteArray("alone\n"), 5000);
    close(leaked);
    QVERIFY(rig.messages.shown.empty());

    // No tool on the path, or only in a folder named relative to the working directory.
    QTemporaryDir empty;
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(QFileInfo(bin.path()).path()));
    for (const std::string& path :
         {empty.path().toStdString(), QFileInfo(bin.path()).fileName().toStdString() + ":."}) {
        rig.messages.shown.clear();
        platform::posix::RegistryStandIn withoutTool(path);
        const platform::Services toolMissing = With(rig, withoutTool, programs, rig.shell);
        frmAbout missing(toolMissing, rig.messages);
        QTest::mouseClick(Control(&missing, "Command4"), Qt::LeftButton);
        QCOMPARE(rig.messages.shown,
                 std::vector<std::string>{"System Information Is Unavailable At This Time"});
    }
    QDir::setCurrent(current);
}

void tst_frmAbout::theDesktopShellKeepsItOnTop() {
    Rig rig;
    platform::posix::QtShell shell;
    const platform::Services services = With(rig, rig.registry, rig.programs, shell);
    frmAbout about(services, rig.messages);
    QVERIFY(about.windowFlags() & Qt::WindowStaysOnTopHint);
    about.show();
    const QPoint position = about.pos();
    const auto window = static_cast<platform::Shell::Window>(about.winId());
    QCOMPARE(OnTop::SetOnTop(shell, window, 1), 0);
    QVERIFY(!(about.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(about.isVisible());
    QCOMPARE(about.pos(), position);
    QVERIFY(OnTop::SetOnTop(shell, static_cast<platform::Shell::Window>(about.winId()), -1) != 0);
    QVERIFY(about.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(OnTop::SetOnTop(shell, 0, -1), 0);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
