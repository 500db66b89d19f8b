#pragma once

#include "logic/internet/InternetAddress.h"
#include "logic/presenter/MainPresenter.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"
#include "views/qt/QtMailbox.h"
#include "views/qt/QtMessageBox.h"
#include "views/qt/SaveDialog.h"
#include "views/qt/frmMain.h"

#include <string>

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

// Loads what the main window shows, over the given services, without any window, on a plain
// event loop, and gives the report exactly as Save would write it.
std::string GatherReport(const platform::Services& services, platform::MessageBox& messages,
                         const InternetAddress::Road& road);
// The same with the build's road to the external address; messages go to standard error.
std::string GatherReport(const platform::Services& services);

// What main() returns. Work that is still inside a library call (a name query, a server that does
// not answer) is not waited for: the program then ends at once, without taking down what that
// work uses.
int EndProgram(int status);
