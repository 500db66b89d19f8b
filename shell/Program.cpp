#include "shell/Program.h"

#include "base/concurrency/Background.h"
#include "logic/config/BuildConfig.h"

#include <QApplication>
#include <QEventLoop>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

void NameApplication() {
    QApplication::setApplicationName(QString::fromUtf8(velnor::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(velnor::kVersionMajor)
                                            .arg(velnor::kVersionMinor)
                                            .arg(velnor::kVersionRevision));
    QApplication::setDesktopFileName(QStringLiteral("velnor"));
}

Program::Program(const platform::Services& services)
    : window_(services, {messageBox_, saveDialog_, clock_, [] { QCoreApplication::exit(0); },
                         velnor::kStunServers}) {}

namespace {

// Nobody is there to click OK: the message goes to standard error.
class StandardErrorMessages final : public platform::MessageBox {
public:
    void show(const std::string& text) override {
        std::fprintf(stderr, "velnor: %s\n", text.c_str());
    }
};

} // namespace

std::string GatherReport(const platform::Services& services, MainSeams seams) {
    QEventLoop loop;
    seams.endProgram = [&loop] { loop.exit(1); };
    seams.headless = true;
    frmMain window(services, std::move(seams));
    QObject::connect(&window, &frmMain::loaded, &loop, [&loop] { loop.exit(0); });
    if (window.Load() && window.isLoading()) {
        loop.exec();
    }
    return window.SaveReport();
}

std::string GatherReport(const platform::Services& services) {
    StandardErrorMessages messages;
    QtSaveDialog saveDialog;
    RegionalClock clock;
    return GatherReport(services, {messages, saveDialog, clock, {}, velnor::kStunServers});
}

int EndProgram(int status) {
    if (!Background::WaitIdle(std::chrono::milliseconds(250))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
