#include "app/Program.h"

#include "app/Background.h"
#include "ui/BuildConfig.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

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

int EndProgram(int status) {
    if (!Background::WaitIdle(std::chrono::milliseconds(250))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
