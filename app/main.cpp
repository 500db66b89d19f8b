#include "app/Background.h"
#include "app/ReportClock.h"
#include "app/SaveDialog.h"
#include "app/frmMain.h"
#include "platform/Services.h"
#include "ui/BuildConfig.h"
#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QIcon>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velnor::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(velnor::kVersionMajor)
                                            .arg(velnor::kVersionMinor)
                                            .arg(velnor::kVersionRevision));
    QApplication::setDesktopFileName(QStringLiteral("velnor"));

    const platform::NativeServices native;
    QtMessageBox messageBox;
    QtSaveDialog saveDialog;
    RegionalClock clock;

    frmMain window(native.services(),
                   {messageBox, saveDialog, clock, [] { QCoreApplication::exit(0); }});
    const int status = window.Load() ? QApplication::exec() : 0;
    // Work that is still inside a library call (a name query, a server that does not answer)
    // is not waited for: the program ends at once, without taking down what that work uses.
    if (!Background::WaitIdle(std::chrono::milliseconds(250))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
