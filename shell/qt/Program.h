#pragma once

#include "logic/presenter/MainPresenter.h"
#include "platform/Services.h"
#include "views/qt/QtMailbox.h"
#include "views/qt/QtMessageBox.h"
#include "views/qt/SaveDialog.h"
#include "views/qt/frmMain.h"

// The application's name and version, as the desktop shows them.
void NameApplication();

// The main window over the given services, with its real seams: what main() starts.
class Program {
public:
    explicit Program(const platform::Services& services);
    MainPresenter& presenter() { return presenter_; }
    frmMain& window() { return window_; }
    // Starts the load sequence as the program's start does; false when the program has ended.
    bool Load();

private:
    QtMessageBox messageBox_;
    QtSaveDialog saveDialog_;
    QtMailbox mailbox_;
    MainPresenter presenter_;
    frmMain window_;
};
