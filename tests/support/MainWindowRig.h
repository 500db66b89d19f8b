#pragma once

#include "base/concurrency/Background.h"
#include "logic/presenter/MainPresenter.h"
#include "platform/posix/PosixFiles.h"
#include "tests/support/FakeBundle.h"
#include "tests/support/FakeDialog.h"
#include "views/qt/QtMailbox.h"
#include "views/qt/frmMain.h"

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

// The main window, the Qt view, over its presenter and fake services (the report's file is a
// real one), and its controls by name.
struct MainWindowRig : Bundle<platform::posix::PosixFiles> {
    fakes::Dialog dialog;
    int ended = 0;
    QtMailbox mailbox;
    std::unique_ptr<MainPresenter> presenter;
    std::unique_ptr<frmMain> window;

    // What still runs in the background finishes before the fakes that it uses go.
    ~MainWindowRig() {
        OpenGates();
        window.reset();
        presenter.reset();
        if (!Background::WaitIdle(std::chrono::seconds(10))) {
            qFatal("background work did not end");
        }
    }
    frmMain& make() {
        presenter = std::make_unique<MainPresenter>(
            services, MainPresenter::Seams{messages, mailbox.mailbox(), [this] { ++ended; },
                                           InternetAddress::RoadOf("")});
        window = std::make_unique<frmMain>(*presenter, services, messages, dialog);
        return *window;
    }
    // Loads as the program's start does, and waits until the load has ended.
    frmMain& load() {
        make();
        presenter->Form_Load();
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
    void settle() {
        until([this] { return !presenter->isLoading() && !presenter->record().busy; });
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
