#include "BuildConfig.h"
#include "app/QtMessageBox.h"
#include "app/ReportClock.h"
#include "app/SaveDialog.h"
#include "app/frmMain.h"
#include "platform/Services.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velnor::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(velnor::kVersionMajor)
                                            .arg(velnor::kVersionMinor)
                                            .arg(velnor::kVersionRevision));
    QApplication::setDesktopFileName(QStringLiteral("velnor"));

    platform::NativeServices native;
    const platform::Services services = native.get();
    QtMessageBox messageBox;
    QtSaveDialog saveDialog;
    RegionalClock clock;

    frmMain window({services.internet,
                    services.metrics,
                    services.socket,
                    services.sockets,
                    services.network,
                    services.localNames,
                    messageBox,
                    saveDialog,
                    clock,
                    {services.registry, services.programs, services.shell, messageBox},
                    [] { QCoreApplication::exit(0); }});
    if (!window.Load()) {
        return 0;
    }
    return QApplication::exec();
}
