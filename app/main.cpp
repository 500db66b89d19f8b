#include "BuildConfig.h"
#include "app/QtMessageBox.h"
#include "app/ReportClock.h"
#include "app/SaveDialog.h"
#include "app/frmMain.h"
#include "platform/posix/CurlInternet.h"
#include "platform/posix/Neighbourhood.h"
#include "platform/posix/PosixLocalNames.h"
#include "platform/posix/PosixLocalSocket.h"
#include "platform/posix/PosixPrograms.h"
#include "platform/posix/PosixSystemMetrics.h"
#include "platform/posix/QtShell.h"
#include "platform/posix/RegistryStandIn.h"

#include <QApplication>
#include <QIcon>

#include <cstdlib>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velnor::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(velnor::kVersionMajor)
                                            .arg(velnor::kVersionMinor)
                                            .arg(velnor::kVersionRevision));
    QApplication::setDesktopFileName(QStringLiteral("velnor"));

    platform::posix::CurlInternet internet;
    platform::posix::PosixSystemMetrics metrics;
    platform::posix::PosixLocalSocket socket;
    platform::posix::Neighbourhood neighbourhood;
    platform::posix::PosixLocalNames localNames;
    QtMessageBox messageBox;
    QtSaveDialog saveDialog;
    RegionalClock clock;
    const char* path = std::getenv("PATH");
    platform::posix::RegistryStandIn registry(path != nullptr ? path : "");
    platform::posix::PosixPrograms programs;
    platform::posix::QtShell shell;

    frmMain window({internet,
                    metrics,
                    socket,
                    neighbourhood.sockets,
                    neighbourhood.network,
                    localNames,
                    messageBox,
                    saveDialog,
                    clock,
                    {registry, programs, shell, messageBox},
                    [] { QCoreApplication::exit(0); }});
    if (!window.Load()) {
        return 0;
    }
    return QApplication::exec();
}
