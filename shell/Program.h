#pragma once

#include "views/qt/ReportClock.h"
#include "views/qt/SaveDialog.h"
#include "views/qt/frmMain.h"
#include "platform/Services.h"
#include "views/qt/QtMessageBox.h"

#include <string>

// The application's name and version, as the desktop shows them.
void NameApplication();

// The main window over the given services, with its real seams: what main() starts.
class Program {
public:
    explicit Program(const platform::Services& services);
    frmMain& window() { return window_; }

private:
    QtMessageBox messageBox_;
    QtSaveDialog saveDialog_;
    RegionalClock clock_;
    frmMain window_;
};

// Loads what the main window shows, over the given services and seams but without showing the
// window, and gives the report exactly as Save would write it.
std::string GatherReport(const platform::Services& services, MainSeams seams);
// The same with the program's own seams; messages go to standard error.
std::string GatherReport(const platform::Services& services);

// What main() returns. Work that is still inside a library call (a name query, a server that does
// not answer) is not waited for: the program then ends at once, without taking down what that
// work uses.
int EndProgram(int status);
