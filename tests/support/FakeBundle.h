#pragma once

#include "tests/support/FakeAbout.h"
#include "tests/support/FakeDatagrams.h"
#include "tests/support/FakeNetwork.h"
#include "tests/support/FakeServices.h"

namespace fakes {

// Every platform service as a fake (the report's file of the kind given), the bundle of them,
// and the message box.
template <typename ReportFiles> struct Bundle {
    // The address page the Internet serves.
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
    fakes::Clock clock;
    ReportFiles files;
    platform::Services services{internet, datagrams, metrics,  computer, resolver, provider,
                                computer, registry,  programs, shell,    clock,    files};
    fakes::Messages messages;

    Bundle() { internet.body = kPage; }

    // Lets every step held at a gate go on, so that what still runs in the background can end
    // before the fakes it uses go.
    void OpenGates() {
        internet.checkGate.open();
        internet.fetchGate.open();
        resolver.gate.open();
        for (auto& [name, gate] : provider.gates) {
            gate.open();
        }
    }
};

} // namespace fakes
