#pragma once

#include "app/frmMain.h"
#include "tests/support/FakeAbout.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/FakeServices.h"

#include <QLabel>
#include <QTreeWidget>

#include <memory>

namespace fakes {

// The main window over fake services, and its controls by name.
struct MainWindowRig {
    static constexpr char kPage[] = "<html><body><p><b>Your IP: 203.0.113.7</b></p>"
                                    "<p><b>Host:  dsl-7.isp.example </b></p></body></html>";

    fakes::FakeInternet internet;
    fakes::Metrics metrics;
    fakes::Computer computer;
    fakes::Resolver resolver;
    fakes::Provider provider;
    fakes::Registry registry;
    fakes::Programs programs;
    fakes::Shell shell;
    platform::Services services{internet, metrics,  computer, resolver, provider,
                                computer, registry, programs, shell};
    fakes::Messages messages;
    fakes::Dialog dialog;
    fakes::Clock clock;
    int ended = 0;
    std::unique_ptr<frmMain> window;

    MainWindowRig() { internet.body = kPage; }
    frmMain& make() {
        window = std::make_unique<frmMain>(services,
                                           MainSeams{messages, dialog, clock, [this] { ++ended; }});
        return *window;
    }
    frmMain& load() {
        make().Load();
        return *window;
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
