#pragma once

#include "base/concurrency/Background.h"
#include "views/qt/frmMain.h"
#include "tests/support/FakeAbout.h"
#include "tests/support/FakeDatagrams.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/FakeServices.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QThread>
#include <QTreeWidget>
#include <QtTest>

#include <chrono>
#include <functional>
#include <memory>

namespace fakes {

// The main window over fake services, and its controls by name.
struct MainWindowRig {
    static constexpr char kPage[] = "<html><body><p><b>Your IP: 203.0.113.7</b></p>"
                                    "<p><b>Host:  dsl-7.isp.example </b></p></body></html>";

    fakes::FakeInternet internet;
    fakes::FakeDatagrams datagrams;
    fakes::Metrics metrics;
    fakes::Computer computer;
    fakes::Resolver resolver;
    fakes::Provider provider;
    fakes::Registry registry;
    fakes::Programs programs;
    fakes::Shell shell;
    platform::Services services{internet, datagrams, metrics,  computer, resolver,
                                provider, computer,  registry, programs, shell};
    fakes::Messages messages;
    fakes::Dialog dialog;
    fakes::Clock clock;
    int ended = 0;
    std::string stunServers; // none: the address page
    std::unique_ptr<frmMain> window;

    MainWindowRig() { internet.body = kPage; }
    // What still runs in the background finishes before the fakes that it uses go.
    ~MainWindowRig() {
        internet.checkGate.open();
        internet.fetchGate.open();
        resolver.gate.open();
        for (auto& [name, gate] : provider.gates) {
            gate.open();
        }
        window.reset();
        if (!Background::WaitIdle(std::chrono::seconds(10))) {
            qFatal("background work did not end");
        }
    }
    frmMain& make() {
        window = std::make_unique<frmMain>(
            services, MainSeams{messages, dialog, clock, [this] { ++ended; }, stunServers});
        return *window;
    }
    // Loads as the program's start does, and waits until the load has ended.
    frmMain& load() {
        make().Load();
        settle();
        return *window;
    }
    // Lets the window take what its background work tells it until the condition holds; false
    // when it does not within five seconds.
    bool until(const std::function<bool()>& condition) {
        for (int i = 0; i < 5000; ++i) {
            if (condition()) {
                return true;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QThread::msleep(1);
        }
        return condition();
    }
    // Until the load and the list fill have ended: the fakes answer at once unless held.
    void settle() {
        until([this] { return !window->isLoading() && !busy(); });
    }
    // The busy pointer shows while the list fills.
    bool busy() const { return window->cursor().shape() == Qt::WaitCursor; }
    // Saves through the Save button into the file, and gives what the file then holds.
    std::string saveAs(const QString& path) {
        dialog.answers.push_back(path);
        QTest::mouseClick(get("cmdSave"), Qt::LeftButton);
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }
    // Loads with the gate shut, and lets the window run until the load has come to it.
    bool loadHeldAt(Gate& gate) {
        gate.shut();
        make().Load();
        return until([&] { return gate.arrived() > 0; });
    }
    template <typename T = QWidget> T* get(const char* name) {
        auto* widget = window->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    QString text(const char* name) { return get<QLabel>(name)->text(); }
    QTreeWidget* list() { return get<QTreeWidget>("lstPCList"); }
};

} // namespace fakes
