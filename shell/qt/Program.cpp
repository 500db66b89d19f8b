#include "shell/qt/Program.h"

#include "logic/config/BuildConfig.h"

#include <QApplication>

void NameApplication() {
    QApplication::setApplicationName(QString::fromUtf8(velnor::kTitle));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(velnor::kVersionMajor)
                                            .arg(velnor::kVersionMinor)
                                            .arg(velnor::kVersionRevision));
    QApplication::setDesktopFileName(QStringLiteral("velnor"));
}

Program::Program(const platform::Services& services)
    : presenter_(services, {messageBox_, mailbox_.mailbox(), [] { QCoreApplication::exit(0); }}),
      window_(presenter_, services, messageBox_, saveDialog_) {}

bool Program::Load() {
    presenter_.Form_Load();
    return !presenter_.isUnloaded();
}
