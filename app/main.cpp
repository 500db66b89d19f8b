#include "app/ReportClock.h"
#include "app/SaveDialog.h"
#include "app/frmMain.h"
#include "platform/Services.h"
#include "ui/BuildConfig.h"
#include "ui/QtMessageBox.h"

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

    const platform::NativeServices native;
    QtMessageBox messageBox;
    QtSaveDialog saveDialog;
    RegionalClock clock;

    frmMain window(native.services(),
                   {messageBox, saveDialog, clock, [] { QCoreApplication::exit(0); }});
    if (!window.Load()) {
        return 0;
    }
    return QApplication::exec();
}
